// A hundred runs stopped at random moments, in every way a run can be
// stopped: SIGTERM to the player (once, or twice to end it at once), the
// physical Pause key (player and main window), the main window's Stop
// button, and closing the main window in the middle of a run. The macros
// hold modifiers, a typed key and mouse buttons most of the time; however the
// run ends, nothing is left down on the server afterwards.
#include <gtest/gtest.h>  // first: before Xlib's macros
#include <signal.h>

#include <cstdio>
#include <random>
#include <string>

#include "fault/support/faultSupport.h"
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

const char* nameOf(Way way) {
    switch (way) {
    case Way::PlayerSigterm: return "SIGTERM to the player";
    case Way::PlayerTwoSigterms: return "two SIGTERMs to the player";
    case Way::PlayerPause: return "Pause key, player";
    case Way::WindowStop: return "Stop button";
    case Way::WindowPause: return "Pause key, main window";
    case Way::WindowClose: return "closing the main window";
    }
    return "";
}

class RandomStops : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display.ok()) << "Xvfb did not start";
        ASSERT_NE(x.get(), nullptr);
        folder = freshFolder("randomStops");
        writeFile(folder + "/keysAndButtons.tkl", kKeysAndButtons);
        writeFile(folder + "/keysOnly.tkl", kKeysOnly);
        const unsigned seed = std::random_device{}();
        std::printf("random seed %u\n", seed);
        random.seed(seed);
    }

    // Before a run: the pointer away from the place the run puts it.
    void pointerAside() { shell("DISPLAY=" + display.name() + " xdotool mousemove 3 3"); }
    // Until the run has put the pointer at its place.
    bool runBegan() {
        const double deadline = test::monotonicNow() + 20;
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
    void expectNothingHeld(Way way, int round) {
        HeldInput held = heldInput(x.get());
        EXPECT_TRUE(held.none()) << nameOf(way) << ", round " << round << ": " << describe(held);
        if (!held.none()) test::InputStateGuard reset(x.get());
    }

    void playerRound(Way way, int round);
    void windowRound(Way way, int round);

    PrivateDisplay display;
    Connection x{display.name()};
    std::string folder;
    std::mt19937 random;
    int stoppedWhileHolding = 0;
};

void RandomStops::playerRound(Way way, int round) {
    Launch launch{display.name(), folder, folder + "/stderr"};
    pointerAside();
    test::ChildProcess player;
    std::string error;
    ASSERT_TRUE(player.start(commandLine(launch, {KEYLOOM_PLAY, folder + "/keysAndButtons.tkl"}),
                             &error))
        << error;
    ASSERT_TRUE(runBegan()) << "round " << round;
    randomMoment();
    if (way == Way::PlayerPause) {
        ASSERT_TRUE(pressRealPause(x.get()));
    } else {
        player.signal(SIGTERM);
        if (way == Way::PlayerTwoSigterms) player.signal(SIGTERM);
    }
    auto status = player.wait(10);
    ASSERT_TRUE(status.has_value()) << nameOf(way) << ", round " << round << ": still running";
    EXPECT_EQ(*status, 0) << nameOf(way) << ", round " << round;
    expectNothingHeld(way, round);
}

void RandomStops::windowRound(Way way, int round) {
    const std::string home = folder + "/home" + std::to_string(round);
    Launch launch{display.name(), home, folder + "/stderr"};
    shell("mkdir -p " + home);
    const std::string macro = folder + (way == Way::WindowStop ? "/keysOnly.tkl" : "/keysAndButtons.tkl");
    test::ChildProcess program;
    std::string error;
    ASSERT_TRUE(program.start(commandLine(launch, {KEYLOOM_BIN, macro}), &error)) << error;
    unsigned long window = windowOf(display.name(), program.pid(), "Tervel's Keyloom", 20);
    ASSERT_NE(window, 0u) << "round " << round << ": the main window did not show";
    pointerAside();
    clickRun(display.name(), window);
    ASSERT_TRUE(runBegan()) << "round " << round;
    randomMoment();
    if (way == Way::WindowStop) {
        clickStop(display.name(), window);
    } else if (way == Way::WindowPause) {
        ASSERT_TRUE(pressRealPause(x.get()));
    } else {
        askToClose(x.get(), window);
    }
    if (way != Way::WindowClose) {
        EXPECT_TRUE(runEnded()) << nameOf(way) << ", round " << round << ": the run goes on";
        expectNothingHeld(way, round);
        askToClose(x.get(), window);
    }
    auto status = program.wait(10);
    ASSERT_TRUE(status.has_value()) << nameOf(way) << ", round " << round << ": still running";
    EXPECT_EQ(*status, 0) << nameOf(way) << ", round " << round;
    expectNothingHeld(way, round);
}

// A hundred runs in all, each way a test of its own.
struct Plan {
    Way way;
    int runs;
};
constexpr Plan kPlans[] = {
    {Way::PlayerSigterm, 20}, {Way::PlayerTwoSigterms, 10}, {Way::PlayerPause, 10},
    {Way::WindowStop, 25},    {Way::WindowPause, 15},       {Way::WindowClose, 20},
};
static_assert([] {
    int runs = 0;
    for (const Plan& plan : kPlans) runs += plan.runs;
    return runs;
}() == 100);

class RandomStopsEachWay : public RandomStops, public ::testing::WithParamInterface<Plan> {};

TEST_P(RandomStopsEachWay, LeaveNoKeyOrButtonDown) {
    const auto [way, runs] = GetParam();
    const bool player =
        way == Way::PlayerSigterm || way == Way::PlayerTwoSigterms || way == Way::PlayerPause;
    for (int round = 0; round < runs; ++round) {
        if (player)
            playerRound(way, round);
        else
            windowRound(way, round);
        if (HasFatalFailure()) return;
    }
    std::printf("%s: %d of %d stops came while keys or buttons were down\n", nameOf(way),
                stoppedWhileHolding, runs);
    EXPECT_GE(stoppedWhileHolding, runs / 2) << "the stops should mostly come while input is held";
}

std::string planName(const ::testing::TestParamInfo<Plan>& info) {
    const char* const names[] = {"PlayerSigterm", "PlayerTwoSigterms", "PlayerPause",
                                 "WindowStop",    "WindowPause",       "WindowClose"};
    return names[static_cast<int>(info.param.way)];
}

INSTANTIATE_TEST_SUITE_P(Fault, RandomStopsEachWay, ::testing::ValuesIn(kPlans), planName);

}  // namespace
}  // namespace keyloom::fault
