// The X server going away in the middle of things (Xvfb killed): the player
// and the program end within a second, with a clear message and the exit
// status of a lost display, never hanging and never by a signal (no core).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fault/support/faultSupport.h"
#include "platform/x11/x11DisplayLoss.h"

namespace keyloom::fault {
namespace {

struct Situation {
    const char* name;
    bool window;         // the keyloom program (else the player)
    const char* macro;   // the macro it runs; empty: the program sits idle
    // The pointer goes here when the run has begun.
    int startX, startY;
};

// Each macro first moves the pointer, so that the test knows the run is on,
// and then keeps the program busy in its own way until the server dies.
const Situation kSituations[] = {
    {"PlayerInALongWait", false, "MouseMove >7,9\r\nWait >600\r\n", 7, 9},
    {"PlayerTypingWithoutEnd", false, "MouseMove >7,9\r\nSendText >the quick brown fox\r\nLoop\r\n", 7, 9},
    {"PlayerHoldingKeysInALoop", false,
     "MouseMove >7,9\r\nPress_Shift\r\nLDown\r\nPress_Tab\r\nLUp\r\nRelease_Shift\r\nLoop\r\n", 7, 9},
    {"WindowIdle", true, "", 0, 0},
    {"WindowRunningAWait", true, "MouseMove >7,9\r\nWait >600\r\n", 7, 9},
    {"WindowRunningALoop", true, "MouseMove >7,9\r\nPress_Tab\r\nLoop\r\n", 7, 9},
};

class DisplayLoss : public ::testing::TestWithParam<Situation> {};

TEST_P(DisplayLoss, EndsWithinASecondWithAMessage) {
    const Situation& s = GetParam();
    PrivateDisplay display;
    ASSERT_TRUE(display.ok()) << "Xvfb did not start";
    test::TempDir dir;
    const std::string folder = dir.str();
    Launch launch{display.name(), folder, folder + "/stderr"};
    std::vector<std::string> argv = {s.window ? KEYLOOM_BIN : KEYLOOM_PLAY};
    if (*s.macro != '\0') {
        writeFile(folder + "/macro.tkl", s.macro);
        argv.push_back(folder + "/macro.tkl");
    }
    test::ChildProcess program;
    std::string error;
    ASSERT_TRUE(program.start(commandLine(launch, argv), &error)) << error;

    if (s.window) {
        unsigned long window = windowOf(display.name(), program.pid(), "Tervel's Keyloom", 20);
        ASSERT_NE(window, 0u) << "the main window did not show";
        if (*s.macro != '\0') clickRun(display.name(), window);
    }
    if (*s.macro != '\0') {
        const double deadline = test::monotonicNow() + 20;
        while (pointerOn(display.name()) != std::make_pair(s.startX, s.startY) &&
               test::monotonicNow() < deadline)
            shell("sleep 0.05");
        ASSERT_EQ(pointerOn(display.name()), std::make_pair(s.startX, s.startY))
            << "the run did not begin" << (program.wait(0) ? "; the program ended: " : ": ")
            << readFile(launch.stderrFile);
        shell("sleep 0.2");  // well inside its wait or loop
    }
    ASSERT_FALSE(program.wait(0).has_value()) << "ended before the display went";

    ASSERT_TRUE(display.kill());
    const double lost = test::monotonicNow();
    auto status = program.wait(1.0);
    ASSERT_TRUE(status.has_value()) << "still running a second after the display went away";
    EXPECT_LE(test::monotonicNow() - lost, 1.0);
    EXPECT_EQ(*status, platform::kDisplayLostStatus) << "not a plain exit (a signal: 128 + N)";
    const std::string messages = readFile(launch.stderrFile);
    EXPECT_NE(messages.find("lost the connection to the X display \"" + display.name() + "\""),
              std::string::npos)
        << messages;
}

INSTANTIATE_TEST_SUITE_P(Fault, DisplayLoss, ::testing::ValuesIn(kSituations),
                         [](const ::testing::TestParamInfo<Situation>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace keyloom::fault
