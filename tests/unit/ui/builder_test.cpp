// The builder's entries: what it writes for a word and a value, and that the
// runner reads every word of its list back as that word with that value.
#include "ui/main/builder.h"

#include <gtest/gtest.h>

#include "engine/parser.h"
#include "engine/vocabulary.h"

namespace keyloom::ui {
namespace {

TEST(Builder, EveryWordOfTheListMakesAnEntryOfThatWord) {
    for (const CommandWord& row : vocabulary::kWords) {
        if (row.place == kNotOffered) continue;
        const std::string entry = composeEntry(row.word, row.place, "3,4").entry.value();
        std::string_view rest = entry;
        EXPECT_EQ(parser::nextToken(rest), row.word) << entry;
        EXPECT_EQ(rest, row.takesValue ? ">3,4" : "") << entry;
    }
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
        {"Wait", 3, " ", "Wait >1", "1"},
        {"Wait", 3, "  ", "Wait >  ", "  "},
        {"Repeat", 7, "", "Repeat >1", "1"},
        {"Repeat", -1, "", "Repeat >1", "1"},
        {"Press_Enter", -1, "", "Press_Enter >", ""},
        {"SendText", 5, "", "SendText >", ""},
        {"SendText", 5, " a b ", "SendText > a b ", " a b "},
    };
    for (const ComposeCase& c : cases) {
        Composed out = composeEntry(c.command, c.position, c.value);
        EXPECT_EQ(out.entry, c.entry) << c.command << " '" << c.value << "'";
        EXPECT_EQ(out.value, c.valueAfter) << c.command << " '" << c.value << "'";
    }
}

}  // namespace
}  // namespace keyloom::ui
