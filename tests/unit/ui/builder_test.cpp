// The builder's entries: what it writes for a word and a value.
#include "ui/main/builder.h"

#include <gtest/gtest.h>

namespace keyloom::ui {
namespace {

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
        {"End_Repeat", 8, "5", "End_Repeat", "5"},  // the first word that takes no value
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
