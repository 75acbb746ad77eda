// The builder's entries, and every command word from the builder's list to
// what it sends when the entry runs.
#include "ui/main/builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "support/harness.h"
#include "ui/main/commandWords.h"

namespace keyloom::ui {
namespace {

using test::tap;
using Lines = std::vector<std::string>;

// The value each word is given in the builder; the others get none.
const std::map<std::string, std::string> kValues = {
    {"RunProgram", "xterm"}, {"ExecuteFile", "a b.txt"}, {"Message", "hi"}, {"Wait", "2"},
    {"SetFocus", "Calc"},    {"SendText", "ab"},         {"MouseMove", "3,4"}, {"Repeat", "2"},
};

// What an entry of each word sends, run alone. (What a run leaves held is
// released when it ends.)
std::map<std::string, Lines> sentByWord() {
    std::map<std::string, Lines> sent = {
        {"RunProgram", {"run xterm"}},
        {"ExecuteFile", {"open a b.txt"}},
        {"Message", {"message hi", "title Tervel's Keyloom"}},
        {"Wait", {"wait 1.500"}},
        {"SetFocus", {"activate Calc"}},
        {"SendText", {"type ab"}},
        {"MouseMove", {"move 3 4"}},
        {"Repeat", {}},
        {"End_Repeat", {}},
        {"Press_Shift", {"key 16 down", "events", "key 16 up"}},
        {"Release_Shift", {"key 16 up", "events"}},
        {"Press_CTRL", tap(17)},
        {"Release_CTRL", {"key 17 up"}},
        {"Press_ALT", tap(18)},
        {"Release_ALT", {"key 18 up"}},
        {"CapsOff", {}},  // every lock is off at first
        {"NumOff", {}},
        {"ScrollOff", {}},
        {"LDblClick", {"button left down", "button left up", "short 10", "button left down",
                       "button left up"}},
        {"RDblClick", {"button right down", "button right up", "short 10", "button right down",
                       "button right up"}},
        {"LClick", {"button left down", "button left up"}},
        {"LDown", {"button left down", "button left up"}},
        {"LUp", {"button left up"}},
        {"RClick", {"button right down", "button right up"}},
        {"RDown", {"button right down", "button right up"}},
        {"RUp", {"button right up"}},
        {"Loop", {"events"}},  // stopped before its second pass
    };
    const std::vector<std::pair<std::string, int>> taps = {
        {"Press_BackSpace", 8},   {"Press_Tab", 9},          {"Press_Enter", 13},
        {"Press_ESC", 27},        {"Press_Home", 36},        {"Press_End", 35},
        {"Press_Up", 38},         {"Press_Down", 40},        {"Press_Left", 37},
        {"Press_Right", 39},      {"Press_PageUp", 33},      {"Press_PageDown", 34},
        {"Press_Ins", 45},        {"Press_Del", 46},         {"Press_Caps", 20},
        {"Press_NumLock", 144},   {"Press_ScrollLock", 145}, {"Press_PrintScreen", 44},
        {"Press_Space", 32},      {"Press_Pause", 19},       {"CapsOn", 20},
        {"NumOn", 144},           {"ScrollOn", 145},
    };
    for (const auto& [word, vk] : taps) sent[word] = tap(vk);
    for (int n = 1; n <= 12; ++n) sent["Press_F" + std::to_string(n)] = tap(111 + n);
    return sent;
}

// Each word picked from the builder's list (or typed, for the words only the
// recorder writes) makes an entry that sends what the word says.
TEST(Vocabulary, EveryWordGoesFromTheBuilderToTheDesktop) {
    int offered = 0;
    for (const auto& [word, sent] : sentByWord()) {
        const auto place = std::ranges::find(kCommandWords, word) - kCommandWords.begin();
        std::string entry = word;
        if (place < std::ssize(kCommandWords)) {
            ++offered;
            const auto value = kValues.find(word);
            entry = composeEntry(word, static_cast<int>(place),
                                 value == kValues.end() ? "" : value->second).entry.value();
        }
        test::Harness h({entry});
        h.fake.logToolkit = true;
        h.fake.onEvents = [&] {
            if (word == "Loop") h.engine.command1Click();
        };
        EXPECT_EQ(h.run(), sent) << entry;
    }
    EXPECT_EQ(offered, std::ssize(kCommandWords));
}

struct ComposeCase {
    std::string command;
    int position;  // -1: typed, not picked from the list
    std::string value;
    std::optional<std::string> entry;
    std::string valueAfter;  // before Add empties it
};

TEST(Builder, ComposesTheEntryAndFillsInTheDefaultCount) {
    const std::vector<ComposeCase> cases = {
        {"Wait", 3, "", "Wait >1", "1"},
        {"Wait", 3, " ", "Wait >1", "1"},
        {"Wait", 3, "  ", "Wait >  ", "  "},
        {"Repeat", 7, "", "Repeat >1", "1"},
        {"Repeat", -1, "", "Repeat >1", "1"},
        {"wait", -1, "", "wait >", ""},
        {"Press_Enter", 11, "abc", "Press_Enter", "abc"},
        {"Press_Enter", -1, "", "Press_Enter >", ""},
        {"SendText", 5, "", "SendText >", ""},
        {"SendText", 5, " a b ", "SendText > a b ", " a b "},
        {"", -1, "5", std::nullopt, "5"},
    };
    for (const ComposeCase& c : cases) {
        Composed out = composeEntry(c.command, c.position, c.value);
        EXPECT_EQ(out.entry, c.entry) << c.command << " '" << c.value << "'";
        EXPECT_EQ(out.value, c.valueAfter) << c.command << " '" << c.value << "'";
    }
}

}  // namespace
}  // namespace keyloom::ui
