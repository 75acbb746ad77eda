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
};

// Each macro first moves the pointer to (7, 9), so that the test knows the
// run is on, and then keeps the program busy in its own way until the server
// dies.
const Situation kSituations[] = {
    {"PlayerInALongWait", false, "MouseMove >7,9\r\nWait >600\r\n"},
    {"PlayerTypingWithoutEnd", false,
     "MouseMove >7,9\r\nSendText >the quick brown fox\r\nLoop\r\n"},
    {"PlayerHoldingKeysInALoop", false,
     "MouseMove >7,9\r\nPress_Shift\r\nLDown\r\nPress_Tab\r\nLUp\r\nRelease_Shift\r\nLoop\r\n"},
    {"WindowIdle", true, ""},
    {"WindowRunningAWait", true, "MouseMove >7,9\r\nWait >600\r\n"},
    {"WindowRunningALoop", true, "MouseMove >7,9\r\nPress_Tab\r\nLoop\r\n"},
};

class DisplayLoss : public ::testing::TestWithParam<Situation> {};

TEST_P(DisplayLoss, EndsWithinASecondWithAMessage) {
    const Situation& s = GetParam();
    PrivateDisplay display;
    ASSERT_TRUE(display.ok()) << "Xvfb did not start";
    test::TempDir dir;
    const std::string folder = dir.str();
    std::vector<std::string> args;
    if (*s.macro != '\0') {
        writeFile(folder + "/macro.tkl", s.macro);
        args.push_back(folder + "/macro.tkl");
    }
    MacroRun run;
    ASSERT_TRUE(run.start({display.name(), folder, folder + "/stderr"}, s.window, args));
    if (*s.macro != '\0') {
        ASSERT_TRUE(run.began({7, 9}));
        shell("sleep 0.2");  // well inside its wait or loop
    }
    ASSERT_FALSE(run.process.wait(0).has_value()) << "ended before the display went";

    ASSERT_TRUE(display.kill());
    // Nothing: still running a second after the display went away; 128 + N: a signal.
    EXPECT_EQ(run.process.wait(1.0), std::optional<int>(platform::kDisplayLostStatus));
    const std::string messages = readFile(run.launch.stderrFile);
    EXPECT_NE(messages.find("lost the connection to the X display \"" + display.name() + "\""),
              std::string::npos)
        << messages;
}

INSTANTIATE_TEST_SUITE_P(Fault, DisplayLoss, ::testing::ValuesIn(kSituations),
                         [](const ::testing::TestParamInfo<Situation>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace keyloom::fault
