#include "ui/main/builder.h"

#include <gtest/gtest.h>

#include "ui/main/commandWords.h"

namespace keyloom::ui {
namespace {

int positionOf(std::string_view word) {
    for (std::size_t i = 0; i < kCommandWords.size(); ++i)
        if (kCommandWords[i] == word) return static_cast<int>(i);
    return -1;
}

struct ComposeCase {
    const char* name;
    std::string command;
    bool picked;  // from the list, else typed
    std::string value;
    std::optional<std::string> entry;
    std::string valueAfter;  // before Add empties it
};

class Compose : public ::testing::TestWithParam<ComposeCase> {};

TEST_P(Compose, GivesTheEntry) {
    const ComposeCase& c = GetParam();
    int position = c.picked ? positionOf(c.command) : -1;
    if (c.picked) {
        ASSERT_GE(position, 0) << c.command;
    }
    Composed out = composeEntry(c.command, position, c.value);
    EXPECT_EQ(out.entry, c.entry);
    EXPECT_EQ(out.value, c.valueAfter);
}

std::string caseName(const ::testing::TestParamInfo<ComposeCase>& p) { return p.param.name; }

INSTANTIATE_TEST_SUITE_P(
    Builder, Compose,
    ::testing::Values(
        ComposeCase{"WaitEmptyDefaultsToOne", "Wait", true, "", "Wait >1", "1"},
        ComposeCase{"WaitOneSpaceDefaultsToOne", "Wait", true, " ", "Wait >1", "1"},
        ComposeCase{"WaitTwoSpacesKept", "Wait", true, "  ", "Wait >  ", "  "},
        ComposeCase{"WaitValue", "Wait", true, "2", "Wait >2", "2"},
        ComposeCase{"RepeatEmptyDefaultsToOne", "Repeat", true, "", "Repeat >1", "1"},
        ComposeCase{"TypedRepeatDefaultsToo", "Repeat", false, "", "Repeat >1", "1"},
        ComposeCase{"LowerCaseWaitNoDefault", "wait", false, "", "wait >", ""},
        ComposeCase{"PickedBareDropsValue", "Press_Enter", true, "abc", "Press_Enter", "abc"},
        ComposeCase{"TypedBareTakesMarker", "Press_Enter", false, "", "Press_Enter >", ""},
        ComposeCase{"MessageWithValue", "Message", true, "hello", "Message >hello", "hello"},
        ComposeCase{"SendTextEmpty", "SendText", true, "", "SendText >", ""},
        ComposeCase{"NothingTrimmed", "SendText", true, " a b ", "SendText > a b ", " a b "},
        ComposeCase{"LastWordIsBare", "Loop", true, "x", "Loop", "x"},
        ComposeCase{"FirstBareWord", "End_Repeat", true, "3", "End_Repeat", "3"},
        ComposeCase{"EmptyCommandMakesNothing", "", false, "5", std::nullopt, "5"}),
    caseName);

}  // namespace
}  // namespace keyloom::ui
