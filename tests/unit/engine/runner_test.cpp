// The runner and its commands against the fake desktop: what each list sends,
// with the user and the desktop acting as each case sets up; and how an
// entry's argument is read: the numbers in it, the point of a MouseMove.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "actions/mEvents.h"
#include "engine/number.h"
#include "support/harness.h"

namespace keyloom::test {
namespace {

using Lines = std::vector<std::string>;
using SetUp = std::function<void(Harness&)>;

struct RunCase {
    const char* name;
    Lines entries;
    Lines expected;
    SetUp setUp = nullptr;
};

class RunnerTable : public ::testing::TestWithParam<RunCase> {};

TEST_P(RunnerTable, SendsExactlyTheseEvents) {
    Harness h(GetParam().entries);
    if (GetParam().setUp) GetParam().setUp(h);
    EXPECT_EQ(h.run(), GetParam().expected);
}

const Lines kTab = tap(9), kEnter = tap(13);
const Lines kAsked = {"message Focus Lost from application. Continue?", "title Tervel's Keyloom"};

std::string caseName(const ::testing::TestParamInfo<RunCase>& param) { return param.param.name; }

// `act` when window events run for the first time (during the first wait).
SetUp atFirstEvents(std::function<void(Harness&)> act) {
    return [act](Harness& h) {
        h.fake.onEvents = [&h, act, done = false]() mutable {
            if (!std::exchange(done, true)) act(h);
        };
    };
}

const SetUp kRunAtFirstEvents = atFirstEvents([](Harness& h) { h.engine.command2Click(); });

// Stop pressed when window events run for the `n`th time.
SetUp stopAtEvents(int n) {
    return [n](Harness& h) {
        h.fake.onEvents = [&h, n, calls = 0]() mutable {
            if (++calls == n) h.engine.command1Click();
        };
    };
}

// `setUp`, with the toolkit's calls in the log too ("events", "short N" ...).
SetUp logged(SetUp setUp = [](Harness&) {}) {
    return [setUp](Harness& h) {
        h.fake.logToolkit = true;
        setUp(h);
    };
}

void logWarnings(Harness& h) {
    h.engine.warn = [&h](const std::string& w) { h.fake.log.push_back("warn " + w); };
}

// Tokens, the flow of blocks and loops, what happens during a run, and the
// commands.
INSTANTIATE_TEST_SUITE_P(
    Runner, RunnerTable,
    ::testing::Values(
        RunCase{"Empty", {}, {}},
        // Words compare with their letter case; a tab or a glued marker is
        // part of the token.
        RunCase{"NoCommandWords",
                {"wait >2", "WAIT >2", "press_enter", "Lclick", "lclick", "Wait>2",
                 "Press_Enter\tPress_Tab"},
                {}},
        RunCase{"EverySpaceCuts", {" Press_Enter  Press_Tab "}, concat({kEnter, kTab})},
        RunCase{"NoMarkerWholeEntryIsArgument", {"SendText hello"}, {"type SendText hello"}},
        // The argument follows the second marker when there is one; the
        // blanks right after it are dropped.
        RunCase{"ArgumentAfterTheSecondMarker",
                {"SendText >>>", "SetFocus >Calc > Window", "Message >"},
                {"type >", "activate Window", "message "}},
        RunCase{"WaitsThatDoNotPause", {"Wait >0", "Wait >-3", "Wait >abc", "Wait >", "Wait"}, {}},
        RunCase{"RepeatOneZeroOrNegativeRunsOnce",
                {"Repeat >1", "Press_Tab", "End_Repeat", "Repeat >0", "Press_Tab", "End_Repeat",
                 "Repeat >-5", "Press_Tab", "End_Repeat"},
                repeated(kTab, 3)},
        RunCase{"NestedUsesInnerStartAndCount",
                {"Repeat >2", "Press_Tab", "Repeat >3", "Press_Enter", "End_Repeat", "End_Repeat"},
                concat({kTab, repeated(kEnter, 9)})},
        RunCase{"EmptyBlocks", {"Repeat >2", "End_Repeat", "End_Repeat"}, {}},
        RunCase{"BadCountKeepsOldCount",
                {"Repeat >2", "Press_Tab", "End_Repeat", "Repeat >x", "Press_Enter", "End_Repeat"},
                concat({kTab, kTab, kEnter, kEnter})},
        RunCase{"TokensAfterEndRepeatRunAfterThePasses",
                {"Repeat >2", "Press_Tab", "End_Repeat Press_Enter"},
                concat({kTab, kTab, kEnter})},
        // Loop ends its pass at once, skipping the rest of its entry.
        RunCase{"LoopRestartsUntilStopLettingEventsRun",
                {"Press_Tab", "Loop Press_Enter"},
                repeated(concat({kTab, {"events"}}), 3),
                logged(stopAtEvents(3))},
        // The wait runs out, the rest of its entry runs, then the run ends.
        RunCase{"StopDuringWaitEndsAfterThatEntry",
                {"Press_Tab", "Wait Press_Enter Loop >1", "Loop"},
                concat({kTab, {"wait 0.500"}, kEnter}),
                stopAtEvents(1)},
        // A stop ends a block's pass before its next entry.
        RunCase{"StopDuringThirdPassOfFive",
                {"Repeat >5", "Wait >1", "Press_Tab", "End_Repeat", "Press_Enter"},
                concat({repeated(concat({{"wait 0.500"}, kTab}), 2), {"wait 0.500"}}),
                stopAtEvents(3)},
        RunCase{"RunDuringWaitNestsAndOuterRunCarriesOn",
                {"Press_Tab", "Wait >1", "Press_Enter"},
                concat({kTab, {"wait 0.500"}, kTab, {"wait 0.500"}, kEnter, kEnter}),
                kRunAtFirstEvents},
        // Ctrl goes up once, at the very end, after the outer run's remaining entries.
        RunCase{"StoppedRunReleasesHeldKeysOnlyWhenOutermostRunEnds",
                {"Press_CTRL", "Wait >1", "Press_Tab"},
                {"key 17 down", "wait 0.500", "key 17 down", "wait 0.500", "key 9 down", "key 9 up",
                 "key 17 up"},
                atFirstEvents([](Harness& h) {
                    h.engine.command2Click();
                    h.engine.command1Click();
                })},
        // Nothing is sent once the program is going away, not even the rest
        // of the entry, and what the run holds is released.
        RunCase{
            "SignalAbandonStopsActingAtOnceAndReleases",
            {"Press_CTRL", "Wait Press_Tab SetFocus >1", "Press_Tab", "SendText >abc",
             "MouseMove >1,1", "LClick", "RunProgram >x", "ExecuteFile >x", "Message >x", "Loop"},
            {"key 17 down", "wait 0.500", "key 17 up"},
            atFirstEvents([](Harness& h) { h.fake.stopRequest = platform::StopRequest::Abandon; })},
        RunCase{
            "DesktopStopRequestEndsLikeStop",
            {"Press_Tab", "Wait Press_Enter >1", "Press_Tab"},
            concat({kTab, {"wait 0.500"}, kEnter}),
            atFirstEvents([](Harness& h) { h.fake.stopRequest = platform::StopRequest::Stop; })},
        // Steps of a long run let window events run once the clock has moved on.
        RunCase{"LongRunsLetEventsRun", concat({{"Wait >1"}, Lines(300, ""), {"Press_Tab"}}),
                concat({{"wait 0.500", "events"}, kTab}), logged()},
        RunCase{"StopKeyPressedBeforeTheRunDoesNotStopIt",
                {"Press_Tab", "Wait >1", "Press_Enter"},
                concat({kTab, {"wait 0.500"}, kEnter}),
                [](Harness& h) { h.fake.stopKeyPresses = 2; }},
        // The nested run stops at its first test; the outer one after its wait.
        RunCase{"StopKeyPressedDuringARunStopsARunStartedInsideIt",
                {"Press_Tab", "Wait >1", "Press_Enter"},
                concat({kTab, {"wait 0.500"}}),
                atFirstEvents([](Harness& h) {
                    h.fake.stopKeyPresses = 1;
                    h.engine.command2Click();
                })},
        // The bound of a loaded list is one past its last entry: the first
        // appended entry still runs, the second lies beyond the bound.
        RunCase{"EditsDuringARunAreSeenWhenReached",
                {"Wait >1", "Press_Tab", "Press_Tab"},
                concat({{"wait 0.500"}, kEnter, kTab, tap(27)}),
                atFirstEvents([](Harness& h) {
                    h.list.entries()[1] = "Press_Enter";
                    h.list.entries().push_back("Press_ESC");
                    h.list.entries().push_back("Press_Home");
                })},
        // Another program's run has the desktop: this one waits for it, and a
        // Run pressed meanwhile (or while text is typed) is refused.
        RunCase{
            "RunWaitsForTheDesktopRefusingRunsPressedMeanwhile",
            {"Press_Tab"},
            concat({{"warn another Keyloom run is acting on this desktop: waiting until it ends",
                     "wait 0.050"},
                    kTab}),
            [](Harness& h) {
                h.fake.busyClaims = 1;
                logWarnings(h);
                kRunAtFirstEvents(h);
            }},
        RunCase{"StopWhileWaitingForTheDesktopEndsTheRun",
                {"Press_Tab"},
                {"wait 0.050"},
                [](Harness& h) {
                    h.fake.busyClaims = -1;
                    stopAtEvents(1)(h);
                }},
        // The program going away while text is typed: its failure is not told.
        RunCase{"RunAndAbandonWhileTyping",
                {"SendText >日本", "Press_Tab"},
                {"type 日本"},
                [](Harness& h) {
                    h.fake.untypableTexts = {"日本"};
                    h.fake.typingAsksStop = true;
                    atFirstEvents([](Harness& at) {
                        at.engine.command2Click();
                        at.fake.stopRequest = platform::StopRequest::Abandon;
                    })(h);
                }},
        RunCase{"ArgumentIsReadFromTheEntryAsItIsNow",
                {"Press_Shift SendText >abc"},
                {"key 16 down", "type xyz", "key 16 up"},
                atFirstEvents([](Harness& h) { h.list.entries()[0] = "changed >xyz"; })},
        // A window that cannot be found asks whether to go on: No ends the run
        // before the next entry (the rest of this one still runs); an empty
        // title matches nothing.
        RunCase{"SetFocusFailsAndAsks",
                {"SetFocus >Nowhere", "SetFocus >   ", "SetFocus >Nowhere Press_Enter",
                 "Press_Tab"},
                concat({{"activate Nowhere"},
                        kAsked,
                        kAsked,
                        {"activate Nowhere Press_Enter"},
                        kAsked,
                        kEnter}),
                logged([](Harness& h) {
                    h.fake.missingTitles = {"Nowhere", "Nowhere Press_Enter"};
                    h.fake.answers = {platform::MessageAnswer::Yes, platform::MessageAnswer::Yes,
                                      platform::MessageAnswer::No};
                })},
        RunCase{"ShiftLetsEventsRunWhenPressedAndReleased",
                {"Press_Shift", "Release_Shift"},
                {"key 16 down", "events", "key 16 up", "events"},
                logged()},
        RunCase{"DoubleClickPausesBetweenItsClicks",
                {"RDblClick"},
                {"button right down", "button right up", "short 10", "button right down",
                 "button right up"},
                logged()},
        RunCase{"SendTextLetterOrDigitTapsItsKey",
                {"SendText >a", "SendText >A", "SendText >7"},
                concat({tap(65), {"short 1"}, tap(65), {"short 1"}, tap(55), {"short 1"}}),
                logged()},
        RunCase{"SendTextOtherCharacterIsTyped",
                {"SendText >.", "SendText >é", "SendText >"},
                {"type .", "short 1", "type é", "short 1"},
                logged()},
        // Text the desktop could not deliver is reported, and the run goes on.
        RunCase{
            "UndeliveredTextIsReported",
            {"SendText >日本", "Press_Tab"},
            concat({{"type 日本", "message Cannot type this text: \"日本\" was not typed."}, kTab}),
            [](Harness& h) { h.fake.untypableTexts = {"日本"}; }},
        // A text the notation rejects is said and types nothing; the run goes on.
        RunCase{"RejectedNotationIsReported",
                {"SendText >ab{LEFT 4x}", "SendText >ok"},
                {"message Cannot type this text: \"{LEFT 4x}\": the repeat count must be a "
                 "whole number from 0 to 10000.",
                 "title Tervel's Keyloom", "type ok"},
                logged()},
        RunCase{"BadMouseMoveIsSkippedWithAWarning",
                {"MouseMove >100", "MouseMove >3,4"},
                {"warn entry 1: MouseMove argument \"100\" is not x,y in whole numbers from -32768 "
                 "to 32767; skipped",
                 "move 3 4"},
                logWarnings},
        RunCase{"RunProgramWaitsForItsWindow",
                {"RunProgram >xterm -e cat", "Press_Tab"},
                concat({{"run xterm -e cat", "short 20", "short 20"}, kTab}),
                logged([](Harness& h) { h.fake.windowlessPolls = 2; })},
        // A program without a window is no error: the wait gives up once 5 s
        // have gone by (the clock's sum of 250 polls lies a rounding below).
        RunCase{"WindowlessProgramIsWaitedForFiveSeconds",
                {"RunProgram >daemon"},
                concat({{"run daemon"}, Lines(251, "short 20")}),
                logged([](Harness& h) { h.fake.windowlessPolls = 1000000; })},
        RunCase{"ListsAndBlocksBeyond32767EntriesRunToTheEnd",
                concat({Lines(32768, ""),
                        {"Press_Enter"},
                        Lines(131, ""),
                        {"Repeat >3", "Press_Tab", "End_Repeat"},
                        Lines(7096, ""),
                        {"Press_Home"}}),
                concat({kEnter, repeated(kTab, 3), tap(36)})}),
    caseName);

TEST(NumberConversion, Counts) {
    const std::vector<std::pair<std::string, std::optional<std::int32_t>>> cases = {
        {" \t2 ", 2},
        {"+3", 3},
        {"-3", -3},
        {"2.5", 2},
        {"3.5", 4},
        {"-2.5", -2},
        {"2.5000001", 3},
        {"0.5", 0},
        {".51", 1},
        {"5.", 5},
        {"007", 7},
        {"2147483647.4", 2147483647},
        {"-2147483648.5", -2147483647 - 1},
        {"2147483647.5", std::nullopt},
        {"2147483648", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"1 000", std::nullopt},
        {"1e3", std::nullopt},
        {".", std::nullopt},
        {"+-1", std::nullopt},
        {"1.2.3", std::nullopt},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(toInt32(text), value) << '"' << text << '"';
}

// Coordinates are whole 16-bit numbers, rounded as counts are.
TEST(MouseMove, ParsesAsWritten) {
    const std::vector<std::pair<std::string, std::optional<platform::Point>>> cases = {
        {" 100 ,200 ", platform::Point{100, 200}},
        {"10,20,30", platform::Point{10, 30}},
        {"-5,-7", platform::Point{-5, -7}},
        {"10.5,11.5", platform::Point{10, 12}},
        {"32767,-32768", platform::Point{32767, -32768}},
        {"100", std::nullopt},
        {"", std::nullopt},
        {",200", std::nullopt},
        {"100,", std::nullopt},
        {"100,200 LClick", std::nullopt},
        {"32768,1", std::nullopt},
        {"1,32767.5", std::nullopt},
        {"x,y", std::nullopt},
    };
    for (const auto& [arg, point] : cases)
        EXPECT_EQ(mEvents::parseMouseMove(arg), point) << '"' << arg << '"';
}

}  // namespace
}  // namespace keyloom::test
