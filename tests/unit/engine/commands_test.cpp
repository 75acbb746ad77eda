// Focus, text, mouse and launch commands as the engine drives them.
#include <gtest/gtest.h>

#include "actions/mEvents.h"
#include "support/harness.h"

namespace keyloom::test {
namespace {

using Lines = std::vector<std::string>;
using platform::MessageAnswer;

// A window that cannot be found asks whether to go on: No ends the run
// before the next entry (the rest of this one still runs).
TEST(SetFocus, FailureAsksWhetherToGoOn) {
    struct Case {
        std::string entry;
        MessageAnswer answer;
        Lines sent;
    };
    const Lines asked = {"message Focus Lost from application. Continue?", "title Tervel's Keyloom"};
    const std::vector<Case> cases = {
        {"SetFocus >Nowhere Press_Enter", MessageAnswer::No,
         concat({{"activate Nowhere Press_Enter"}, asked, tap(13)})},
        {"SetFocus >Nowhere", MessageAnswer::Yes, concat({{"activate Nowhere"}, asked, tap(9)})},
        {"SetFocus >   ", MessageAnswer::Yes, concat({asked, tap(9)})},  // an empty title matches nothing
    };
    for (const Case& c : cases) {
        Harness h({c.entry, "Press_Tab"});
        h.fake.logToolkit = true;
        h.fake.missingTitles = {"Nowhere Press_Enter", "Nowhere"};
        h.fake.answers = {c.answer};
        EXPECT_EQ(h.run(), c.sent) << c.entry;
        EXPECT_EQ(h.state.stopFlag, c.answer == MessageAnswer::No) << c.entry;
    }
}

TEST(SendText, OneCharacter) {
    struct Case {
        std::string entry;
        Lines expected;
    };
    const std::vector<Case> cases = {
        {"SendText >a", {"key 65 down", "key 65 up", "short 1"}},
        {"SendText >A", {"key 65 down", "key 65 up", "short 1"}},
        {"SendText >7", {"key 55 down", "key 55 up", "short 1"}},
        {"SendText >.", {"type .", "short 1"}},
        {"SendText >*", {"type *", "short 1"}},
        {"SendText >é", {"type é", "short 1"}},
        {"SendText >", {}},
        {"SendText >   ", {}},
    };
    for (const Case& c : cases) {
        Harness h({c.entry});
        h.fake.logToolkit = true;
        EXPECT_EQ(h.run(), c.expected) << c.entry;
    }
}

TEST(MouseMove, ParsesAsWritten) {
    const std::vector<std::pair<std::string, std::optional<platform::Point>>> cases = {
        {"100,200", platform::Point{100, 200}},
        {"100, 200", platform::Point{100, 200}},
        {"100,   200", platform::Point{100, 200}},
        {" 100 ,200 ", platform::Point{100, 200}},
        {"10,20,30", platform::Point{10, 30}},
        {"-5,-7", platform::Point{-5, -7}},
        {"10.5,11.5", platform::Point{10, 12}},
        {"100", std::nullopt},
        {"", std::nullopt},
        {",200", std::nullopt},
        {"100,", std::nullopt},
        {"100,200 LClick", std::nullopt},
        {"40000,1", std::nullopt},
        {"x,y", std::nullopt},
    };
    for (const auto& [arg, point] : cases)
        EXPECT_EQ(mEvents::parseMouseMove(arg), point) << '"' << arg << '"';
}

TEST(MouseMove, BadArgumentIsSkippedWithAWarning) {
    Harness h({"Press_Tab", "MouseMove >100", "MouseMove >3,4"});
    std::vector<std::string> warnings;
    h.engine.warn = [&](const std::string& w) { warnings.push_back(w); };
    EXPECT_EQ(h.run(), concat({tap(9), {"move 3 4"}}));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("entry 2"), std::string::npos);
}

TEST(RunProgram, StartsAndWaitsForItsWindow) {
    Harness h({"RunProgram >xterm -e cat", "Press_Tab"});
    h.fake.logToolkit = true;
    h.fake.windowlessPolls = 2;
    EXPECT_EQ(h.run(), concat({{"run xterm -e cat", "short 20", "short 20"}, tap(9)}));
}

TEST(RunProgram, WindowlessProgramIsNoError) {
    Harness h({"RunProgram >daemon"});
    h.fake.windowlessPolls = 1000000;
    Lines log = h.run();
    EXPECT_EQ(log, (Lines{"run daemon"}));
    EXPECT_GE(h.fake.clock, 1005.0);
    EXPECT_LT(h.fake.clock, 1005.1);
}

TEST(RunProgram, NotStartedShowsTheMessageOnceAndGoesOn) {
    Harness h({"RunProgram >nosuchprogram --flag", "Press_Tab"});
    h.fake.logToolkit = true;
    h.fake.failingPrograms = {"nosuchprogram --flag"};
    EXPECT_EQ(h.run(), concat({{"run nosuchprogram --flag", "message File not found!\rError 53",
                                "title Tervel's Keyloom"},
                               tap(9)}));
}

TEST(ExecuteFile, OpensOrReportsFailure) {
    Harness h({"ExecuteFile >/tmp/a doc.txt ", "ExecuteFile >/missing", "ExecuteFile >"});
    h.fake.logToolkit = true;
    h.fake.unopenableDocuments = {"/missing"};
    EXPECT_EQ(h.run(), (Lines{"open /tmp/a doc.txt ", "open /missing", "message File not found.",
                              "title Keyloom Error", "message File not found.",
                              "title Keyloom Error"}));
}

}  // namespace
}  // namespace keyloom::test
