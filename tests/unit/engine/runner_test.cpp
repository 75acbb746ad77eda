#include <gtest/gtest.h>

#include "support/harness.h"

namespace keyloom::test {
namespace {

using Lines = std::vector<std::string>;

struct RunCase {
    const char* name;
    Lines entries;
    Lines expected;
};

class RunnerTable : public ::testing::TestWithParam<RunCase> {};

TEST_P(RunnerTable, SendsExactlyTheseEvents) {
    Harness h(GetParam().entries);
    EXPECT_EQ(h.run(), GetParam().expected);
}

const Lines kTab = tap(9), kEnter = tap(13);

void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

std::string caseName(const ::testing::TestParamInfo<RunCase>& param) { return param.param.name; }

INSTANTIATE_TEST_SUITE_P(
    Tokens, RunnerTable,
    ::testing::Values(
        RunCase{"Empty", {}, {}},
        RunCase{"InOrder", {"Press_Tab", "Press_Tab", "Press_Enter"}, concat({kTab, kTab, kEnter})},
        RunCase{"CaseMatters", {"wait >2", "WAIT >2", "press_enter", "Lclick", "lclick"}, {}},
        RunCase{"GluedMarkerIsNoKeyword", {"Wait>2"}, {}},
        RunCase{"TwoSpaces", {"Press_Enter  Press_Tab"}, concat({kEnter, kTab})},
        RunCase{"ArgumentIgnoredByKeys", {"Press_Enter >abc"}, kEnter},
        RunCase{"KeywordInArgumentRunsToo", {"SendText >please Press_Enter"},
                concat({{"type please Press_Enter"}, kEnter})},
        RunCase{"NoMarkerWholeEntryIsArgument", {"SendText hello"}, {"type SendText hello"}},
        RunCase{"BothWaitsTakeLastArgument", {"Wait >2 Wait >3"}, {"wait 2.500", "wait 2.500"}},
        RunCase{"ModifierHeldAcrossEntries", {"Press_CTRL", "SendText >c", "Release_CTRL"},
                {"key 17 down", "key 67 down", "key 67 up", "key 17 up"}},
        RunCase{"LockKeysTapOnlyWhenStateDiffers", {"CapsOn", "CapsOn", "CapsOff"},
                concat({tap(20), tap(20)})}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Flow, RunnerTable,
    ::testing::Values(
        RunCase{"WaitPausesHalfASecondLess", {"Wait >2", "Wait >1"}, {"wait 1.500", "wait 0.500"}},
        RunCase{"WaitsThatDoNotPause", {"Wait >0", "Wait >-3", "Wait >abc", "Wait >", "Wait"}, {}},
        RunCase{"WaitRoundsHalfToEven", {"Wait >2.5", "Wait >3.5"}, {"wait 1.500", "wait 3.500"}},
        RunCase{"RepeatThree", {"Repeat >3", "Press_Tab", "End_Repeat"}, repeated(kTab, 3)},
        RunCase{"RepeatOneZeroOrNegativeRunsOnce",
                {"Repeat >1", "Press_Tab", "End_Repeat", "Repeat >0", "Press_Tab", "End_Repeat",
                 "Repeat >-5", "Press_Tab", "End_Repeat"},
                repeated(kTab, 3)},
        RunCase{"NestedUsesInnerStartAndCount",
                {"Repeat >2", "Press_Tab", "Repeat >3", "Press_Enter", "End_Repeat", "End_Repeat"},
                concat({kTab, repeated(kEnter, 9)})},
        RunCase{"EmptyBlocks", {"Repeat >2", "End_Repeat", "End_Repeat"}, {}},
        RunCase{"EndRepeatAlone", {"End_Repeat"}, {}},
        RunCase{"BadCountKeepsOldCount",
                {"Repeat >2", "Press_Tab", "End_Repeat", "Repeat >x", "Press_Enter", "End_Repeat"},
                concat({kTab, kTab, kEnter, kEnter})},
        RunCase{"TokensAfterEndRepeatRunAfterThePasses",
                {"Repeat >2", "Press_Tab", "End_Repeat Press_Enter"}, concat({kTab, kTab, kEnter})}),
    caseName);

TEST(Runner, BoundIsFixedFromLastIndexAtEachPass) {
    Harness h({"Press_Tab", "Press_Enter"});
    h.state.lastIndex = 0;  // as after Add of the first entry: the bound lags
    EXPECT_EQ(h.run(), concat({kTab}));
}

TEST(Runner, ClearLeavesBoundButNothingRuns) {
    Harness h({"Press_Tab"});
    h.list.entries().clear();
    h.state.lastIndex = 5;
    EXPECT_TRUE(h.run().empty());
}

// Loop ends its pass at once, skipping the rest of its entry.
TEST(Runner, LoopRestartsUntilStopAndLetsEventsRunBetweenPasses) {
    Harness h({"Press_Tab", "Loop Press_Enter"});
    h.fake.logToolkit = true;
    int passes = 0;
    h.fake.onEvents = [&] {
        if (++passes == 3) h.engine.command1Click();
    };
    EXPECT_EQ(h.run(), repeated(concat({kTab, {"events"}}), 3));
}

TEST(Runner, StopDuringWaitEndsAfterThatEntry) {
    Harness h({"Press_Tab", "Wait Press_Enter >1", "Loop"});
    h.fake.onEvents = [&] { h.engine.command1Click(); };
    // The wait runs out, the rest of its entry runs, then the run ends.
    EXPECT_EQ(h.run(), concat({kTab, {"wait 0.500"}, kEnter}));
    EXPECT_EQ(h.state.stopFlag, 1);
}

TEST(Runner, StopDuringThirdPassOfFive) {
    Harness h({"Repeat >5", "Press_Tab", "Wait >1", "End_Repeat", "Press_Enter"});
    int waits = 0;
    h.fake.onEvents = [&] {
        if (++waits == 3) h.engine.command1Click();
    };
    EXPECT_EQ(h.run(), repeated(concat({kTab, {"wait 0.500"}}), 3));
}

TEST(Runner, RunDuringWaitNestsAndOuterRunCarriesOn) {
    Harness h({"Press_Tab", "Wait >1", "Press_Enter"});
    bool nested = false;
    h.fake.onEvents = [&] {
        if (nested) return;
        nested = true;
        h.engine.command2Click();
    };
    EXPECT_EQ(h.run(), concat({kTab, {"wait 0.500"}, kTab, {"wait 0.500"}, kEnter, kEnter}));
}

TEST(Runner, EditsDuringARunAreSeenWhenReached) {
    Harness h({"Wait >1", "Press_Tab", "Press_Tab"});
    h.fake.onEvents = [&] {
        h.list.entries()[1] = "Press_Enter";
        // The bound of a loaded list is one past its last entry: the first
        // appended entry still runs, the second lies beyond the bound.
        h.list.entries().push_back("Press_ESC");
        h.list.entries().push_back("Press_Home");
    };
    EXPECT_EQ(h.run(), concat({{"wait 0.500"}, kEnter, kTab, tap(27)}));
}

TEST(Runner, ArgumentIsReadFromTheEntryAsItIsNow) {
    Harness h({"Press_Shift SendText >abc"});
    h.fake.onEvents = [&] { h.list.entries()[0] = "changed >xyz"; };
    EXPECT_EQ(h.run(), concat({{"key 16 down", "type xyz", "key 16 up"}}));
}

TEST(Runner, HeldKeysAndButtonsAreReleasedWhenTheRunEnds) {
    Harness h({"Press_CTRL", "Press_Shift", "LDown", "RDown", "Press_ALT", "Release_ALT"});
    EXPECT_EQ(h.run(), (Lines{"key 17 down", "key 16 down", "button left down", "button right down",
                              "key 18 down", "key 18 up", "button right up", "button left up",
                              "key 16 up", "key 17 up"}));
}

TEST(Runner, StoppedRunReleasesHeldKeysOnlyWhenOutermostRunEnds) {
    Harness h({"Press_CTRL", "Wait >1", "Press_Tab"});
    int calls = 0;
    h.fake.onEvents = [&] {
        if (++calls > 1) return;
        h.engine.command2Click();  // nested run: presses Ctrl again, then waits
        h.engine.command1Click();
    };
    Lines log = h.run();
    // Ctrl goes up once, at the very end, after the outer run's remaining entries.
    EXPECT_EQ(std::count(log.begin(), log.end(), "key 17 up"), 1);
    EXPECT_EQ(log.back(), "key 17 up");
}

// Nothing is sent once the program is going away, not even the rest of the
// entry, and what the run holds is released.
TEST(Runner, SignalAbandonStopsActingAtOnceAndReleases) {
    Harness h({"Press_CTRL", "Wait Press_Tab SetFocus >1", "Press_Tab", "SendText >abc",
               "MouseMove >1,1", "LClick", "RunProgram >x", "ExecuteFile >x", "Message >x", "Loop"});
    h.fake.onEvents = [&] { h.fake.stopRequest = platform::StopRequest::Abandon; };
    EXPECT_EQ(h.run(), (Lines{"key 17 down", "wait 0.500", "key 17 up"}));
}

TEST(Runner, StopKeyIsNoticedAtTheNextStopTest) {
    Harness h({"Press_Tab", "Loop"});
    h.fake.onEvents = [&] { h.fake.stopKeyPresses = 1; };
    EXPECT_EQ(h.run(), kTab);
}

TEST(Runner, StopKeyPressedBeforeTheRunDoesNotStopIt) {
    Harness h({"Press_Tab", "Wait >1", "Press_Enter"});
    h.fake.stopKeyPresses = 2;  // pressed twice while no run was going
    EXPECT_EQ(h.run(), concat({kTab, {"wait 0.500"}, kEnter}));
    EXPECT_EQ(h.state.stopFlag, 0);
}

TEST(Runner, StopKeyPressedDuringARunStopsARunStartedInsideIt) {
    Harness h({"Press_Tab", "Wait >1", "Press_Enter"});
    bool nested = false;
    h.fake.onEvents = [&] {
        if (nested) return;
        nested = true;
        h.fake.stopKeyPresses = 1;
        h.engine.command2Click();  // Run pressed during the wait
    };
    // The nested run stops at its first test; the outer one after its wait.
    EXPECT_EQ(h.run(), concat({kTab, {"wait 0.500"}}));
    EXPECT_EQ(h.state.stopFlag, 1);
}

TEST(Runner, ListsAndBlocksBeyond32767EntriesRunToTheEnd) {
    std::vector<std::string> entries(40000, "");
    entries[32768] = "Press_Enter";
    entries[32900] = "Repeat >3";
    entries[32901] = "Press_Tab";
    entries[32902] = "End_Repeat";
    entries[39999] = "Press_Home";
    Harness h(entries);
    EXPECT_EQ(h.run(), concat({kEnter, repeated(kTab, 3), tap(36)}));
}

TEST(Runner, DoublingEndRepeatsCanBeStopped) {
    // Each End_Repeat doubles the work of the ones before it: 2^60 passes.
    std::vector<std::string> entries{"Repeat >2", "Press_Shift", "Release_Shift"};
    entries.insert(entries.end(), 60, "End_Repeat");
    Harness h(entries);
    int events = 0;
    h.fake.onEvents = [&] {
        if (++events == 1000) h.fake.stopKeyPresses = 1;
    };
    Lines log = h.run();
    EXPECT_EQ(h.state.stopFlag, 1);
    // After the stop, no further entry of a pass runs and no new pass begins.
    EXPECT_LT(log.size(), 1000u + 4u * 60u);
    EXPECT_EQ(log.back(), "key 16 up");
}

}  // namespace
}  // namespace keyloom::test
