// A hundred runs stopped at random moments, in every way a run can be
// stopped: SIGTERM to the player (once, or twice), the physical Pause key
// (player and main window), the main window's Stop button, and closing the
// main window in the middle of a run. The macros hold modifiers, a typed key
// and mouse buttons most of the time; however the run ends, nothing is left
// down on the server afterwards.
//
// Then one table of the ways a run ends against the long things a run does:
// each ends in time, with nothing held and the keyboard map as it was.
#include <gtest/gtest.h>  // first: before Xlib's macros
#include <X11/keysym.h>
#include <signal.h>

#include <cstdio>
#include <random>
#include <string>

#include "fault/support/faultSupport.h"
#include "x11/support/offMapText.h"
#include "x11/support/xState.h"

namespace keyloom::fault {
namespace {

// Each pass first puts the pointer at (700, 500), away from the main window
// (without a window manager it sits at the top left), so keys and clicks
// reach no program.
const char* const kKeysAndButtons =
    "MouseMove >700,500\r\nPress_Shift\r\nPress_CTRL\r\nSendText >q\r\nLDown\r\nWait >1\r\n"
    "RDown\r\nPress_ALT\r\nPress_Tab\r\nSendText >w\r\nRelease_ALT\r\nRUp\r\nLUp\r\n"
    "Release_CTRL\r\nRelease_Shift\r\nLoop\r\n";
// For stopping with a click on Stop: a held button would swallow the click.
const char* const kKeysOnly =
    "MouseMove >700,500\r\nPress_Shift\r\nPress_CTRL\r\nSendText >q\r\nWait >1\r\n"
    "Press_ALT\r\nPress_Tab\r\nSendText >w\r\nRelease_ALT\r\nRelease_CTRL\r\n"
    "Release_Shift\r\nLoop\r\n";

enum class Way { PlayerSigterm, PlayerTwoSigterms, PlayerPause, WindowStop, WindowPause, WindowClose };

// A hundred runs in all, each way a test of its own.
struct Plan {
    Way way;
    int runs;
    const char* name;
};
constexpr Plan kPlans[] = {
    {Way::PlayerSigterm, 20, "PlayerSigterm"}, {Way::PlayerTwoSigterms, 10, "PlayerTwoSigterms"},
    {Way::PlayerPause, 10, "PlayerPause"},     {Way::WindowStop, 25, "WindowStop"},
    {Way::WindowPause, 15, "WindowPause"},     {Way::WindowClose, 20, "WindowClose"},
};

const char* nameOf(Way way) {
    for (const Plan& plan : kPlans)
        if (plan.way == way) return plan.name;
    return "";
}

class RandomStops : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display.ok()) << "Xvfb did not start";
        ASSERT_NE(x.get(), nullptr);
        writeFile(folder + "/keysAndButtons.tkl", kKeysAndButtons);
        writeFile(folder + "/keysOnly.tkl", kKeysOnly);
        const unsigned seed = std::random_device{}();
        std::printf("random seed %u\n", seed);
        random.seed(seed);
    }

    // Before a run: the pointer away from the place the run puts it.
    void pointerAside() { shell("DISPLAY=" + display.name() + " xdotool mousemove 3 3"); }
    // Until the run has put the pointer at its place.
    bool runBegan(double seconds = 20) {
        const double deadline = test::monotonicNow() + seconds;
        while (test::monotonicNow() < deadline) {
            if (pointerOn(display.name()) == std::make_pair(700, 500)) return true;
            shell("sleep 0.02");
        }
        return false;
    }
    // Somewhere in the first two passes; counts the stops that come while
    // the run holds something (most of them should).
    void randomMoment() {
        std::uniform_int_distribution<int> ms(0, 1200);
        shell("sleep " + std::to_string(ms(random) / 1000.0));
        if (!heldInput(x.get()).none()) ++stoppedWhileHolding;
    }
    // The run has ended: it no longer puts the pointer back at its place.
    bool runEnded() {
        pointerAside();
        shell("sleep 0.8");  // longer than a pass's Wait
        return pointerOn(display.name()) == std::make_pair(3, 3);
    }
    void expectNothingHeld() {
        HeldInput held = heldInput(x.get());
        EXPECT_TRUE(held.none()) << describe(held);
        if (!held.none()) test::InputStateGuard reset(x.get());
    }

    // One run of a macro in the player or the main window, stopped `way`.
    void stoppedRun(Way way, int round);

    PrivateDisplay display;
    test::XConnection x{display.name()};
    test::TempDir dir;
    const std::string folder = dir.str();
    std::mt19937 random;
    int stoppedWhileHolding = 0;
};

void RandomStops::stoppedRun(Way way, int round) {
    SCOPED_TRACE(nameOf(way) + (", round " + std::to_string(round)));
    const bool window = way == Way::WindowStop || way == Way::WindowPause || way == Way::WindowClose;
    const std::string home = folder + "/home" + std::to_string(round);
    shell("mkdir -p " + home);
    const std::string macro = folder + (way == Way::WindowStop ? "/keysOnly.tkl" : "/keysAndButtons.tkl");
    pointerAside();
    test::ChildProcess program;
    std::string error;
    ASSERT_TRUE(program.start(commandLine({display.name(), home, folder + "/stderr"},
                                          {window ? KEYLOOM_BIN : KEYLOOM_PLAY, macro}),
                              &error))
        << error;
    unsigned long main = 0;
    if (window) {
        main = windowOf(display.name(), program.pid(), "Tervel's Keyloom", 20);
        ASSERT_NE(main, 0u) << "the main window did not show";
        clickRun(display.name(), main);
    }
    ASSERT_TRUE(runBegan());
    randomMoment();
    switch (way) {
    case Way::PlayerTwoSigterms: program.signal(SIGTERM); [[fallthrough]];
    case Way::PlayerSigterm: program.signal(SIGTERM); break;
    case Way::PlayerPause:
    case Way::WindowPause: {
        test::RealKeyboard keyboard(x.get());
        ASSERT_TRUE(keyboard) << "the server has no keyboard device besides XTest";
        keyboard.tap(XK_Pause);
        break;
    }
    case Way::WindowStop: clickStop(display.name(), main); break;
    case Way::WindowClose: askToClose(x.get(), main); break;
    }
    if (window && way != Way::WindowClose) {
        EXPECT_TRUE(runEnded()) << "the run goes on";
        expectNothingHeld();
        askToClose(x.get(), main);
    }
    auto status = program.wait(10);
    ASSERT_TRUE(status.has_value()) << "still running";
    const bool terminated = way == Way::PlayerSigterm || way == Way::PlayerTwoSigterms;
    EXPECT_EQ(*status, terminated ? 128 + SIGTERM : 0);
    expectNothingHeld();
}

static_assert([] {
    int runs = 0;
    for (const Plan& plan : kPlans) runs += plan.runs;
    return runs;
}() == 100);

class RandomStopsEachWay : public RandomStops, public ::testing::WithParamInterface<Plan> {};

TEST_P(RandomStopsEachWay, LeaveNoKeyOrButtonDown) {
    const auto [way, runs, name] = GetParam();
    for (int round = 0; round < runs; ++round) {
        stoppedRun(way, round);
        if (HasFatalFailure()) return;
    }
    std::printf("%s: %d of %d stops came while keys or buttons were down\n", name,
                stoppedWhileHolding, runs);
    EXPECT_GE(stoppedWhileHolding, runs / 2) << "the stops should mostly come while input is held";
}

INSTANTIATE_TEST_SUITE_P(Fault, RandomStopsEachWay, ::testing::ValuesIn(kPlans),
                         [](const ::testing::TestParamInfo<Plan>& p) { return std::string(p.param.name); });

enum class Ending { Sigint, Sigterm, Sighup, StopButton, StopCommand, CloseWindow, NoneTwoRuns };

// An entry typing `n` characters that no keyboard map has.
std::string offMapText(std::size_t n) { return "SendText >" + test::mixedOffMapText(n) + "\r\n"; }
std::string repeated(const std::string& entry, int n) {
    std::string out;
    while (n-- > 0) out += entry;
    return out;
}

struct EndingCase {
    const char* name;
    Ending ending;
    bool window;        // the keyloom program, else the player
    std::string macro;  // after the entry that puts the pointer at (700, 500)
    int status;         // the exit status
};

// Bound on the time from the request to the stop or the exit: far above
// the aims (50 ms for typing, 100 ms for the window; a million entries take
// two seconds to go), far below what the faults took (20 s to never).
// bench/ measures the speed.
constexpr double kBound = 10.0;

const EndingCase kEndings[] = {
    // SIGTERM, caught as SIGHUP is, ends the player in the runs above.
    {"SighupEndsALongWait", Ending::Sighup, false,
     "Press_Shift\r\nPress_CTRL\r\nRDown\r\nSendText >\u00e9\u20ac\r\nWait >600\r\n", 128 + SIGHUP},
    {"SigintStopsLongTyping", Ending::Sigint, false, "Press_Shift\r\n" + offMapText(20000), 0},
    {"StopAnsweredDuringDoublingBlocks", Ending::StopButton, true,
     "Press_CTRL\r\nRepeat >2\r\nWait >0\r\n" + repeated("End_Repeat\r\n", 60), 0},
    {"StopCommandEndsALoop", Ending::StopCommand, false,
     "Press_CTRL\r\nLDown\r\nWait >0.05\r\nLoop\r\n", 0},
    {"StopCommandEndsTheWindowsLoop", Ending::StopCommand, true,
     "Press_Shift\r\nRDown\r\nWait >0.05\r\nLoop\r\n", 0},
    {"ClosingEndsALongList", Ending::CloseWindow, true,
     "Press_CTRL\r\n" + repeated("Wait >0\r\n", 1000000), 0},
    {"SigtermClosesTheWindowDuringLongTyping", Ending::Sigterm, true,
     "Press_Shift\r\n" + offMapText(20000), 0},
    {"TwoRunsAtOnceTakeTurns", Ending::NoneTwoRuns, false,
     "Press_Shift\r\n" + offMapText(300) + "Wait >1\r\n", 0},
};

class Endings : public RandomStops, public ::testing::WithParamInterface<EndingCase> {
protected:
    std::string keymap() { return shell("xkbcomp " + display.name() + " - 2>/dev/null"); }
};

TEST_P(Endings, EndInTimeWithNothingHeldAndTheKeymapAsItWas) {
    const EndingCase& c = GetParam();
    const std::string keymapBefore = keymap();
    ASSERT_FALSE(keymapBefore.empty());
    writeFile(folder + "/macro.tkl", "MouseMove >700,500\r\n" + c.macro);
    const std::vector<std::string> argv = {c.window ? KEYLOOM_BIN : KEYLOOM_PLAY, folder + "/macro.tkl"};
    pointerAside();
    test::ChildProcess program, second;
    std::string error;
    ASSERT_TRUE(program.start(commandLine({display.name(), folder, folder + "/stderr"}, argv), &error));
    if (c.ending == Ending::NoneTwoRuns) {
        ASSERT_TRUE(second.start(commandLine({display.name(), folder, folder + "/stderr2"}, argv), &error));
    }
    unsigned long window = 0;
    if (c.window) {
        window = windowOf(display.name(), program.pid(), "Tervel's Keyloom", 60);
        ASSERT_NE(window, 0u) << "the main window did not show";
        // A long list loads in the background first; a Run pressed before
        // it is in runs the empty list. Pressed again until the run is on.
        const double until = test::monotonicNow() + 120;
        do clickRun(display.name(), window);
        while (!runBegan(2) && test::monotonicNow() < until);
    }
    ASSERT_TRUE(runBegan());
    shell("sleep 0.5");  // well inside the wait, the text, the blocks or the list
    ASSERT_FALSE(program.wait(0).has_value()) << "ended before it was asked to";
    const double asked = test::monotonicNow();
    switch (c.ending) {
    case Ending::Sigint: program.signal(SIGINT); break;
    case Ending::Sigterm: program.signal(SIGTERM); break;
    case Ending::Sighup: program.signal(SIGHUP); break;
    case Ending::StopButton: clickStop(display.name(), window); break;
    case Ending::StopCommand: {
        test::ChildProcess stop;
        ASSERT_TRUE(stop.start(commandLine({display.name(), folder, folder + "/stopped"},
                                           {KEYLOOM_BIN, "--stop"}), &error));
        EXPECT_EQ(stop.wait(kBound), std::optional<int>(0)) << readFile(folder + "/stopped");
        break;
    }
    case Ending::CloseWindow: askToClose(x.get(), window); break;
    case Ending::NoneTwoRuns: break;
    }
    if (c.window && (c.ending == Ending::StopButton || c.ending == Ending::StopCommand)) {
        // The run has ended when it has let Ctrl up; the window stays.
        while (!heldInput(x.get()).none() && test::monotonicNow() < asked + kBound) shell("sleep 0.01");
        EXPECT_LT(test::monotonicNow() - asked, kBound) << "the run goes on after Stop";
        askToClose(x.get(), window);
    }
    const double bound = c.ending == Ending::NoneTwoRuns ? 60 : kBound;
    auto status = program.wait(bound);
    ASSERT_TRUE(status.has_value()) << "still running " << bound << " s after the request";
    EXPECT_LT(test::monotonicNow() - asked, bound);
    EXPECT_EQ(*status, c.status);
    if (c.ending == Ending::NoneTwoRuns) {
        EXPECT_EQ(second.wait(60), std::optional<int>(0));
        EXPECT_NE((readFile(folder + "/stderr") + readFile(folder + "/stderr2")).find("waiting"),
                  std::string::npos) << "neither run waited for the other";
    }
    expectNothingHeld();
    EXPECT_EQ(keymap(), keymapBefore) << "the keyboard map was left changed";
}

INSTANTIATE_TEST_SUITE_P(Fault, Endings, ::testing::ValuesIn(kEndings),
                         [](const ::testing::TestParamInfo<EndingCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace keyloom::fault
