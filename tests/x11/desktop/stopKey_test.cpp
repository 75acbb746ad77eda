// The stop key, pressed on the server's own keyboard device (RealKeyboard):
// which presses count and when. That a real Pause stops a run is shown by
// the fault tier (randomStops_test.cpp), that an injected one does not by a
// row of the desktop contract.
#include "x11Fixture.h"  // first: gtest before the X11 macros
#include <X11/keysym.h>

#include <thread>

namespace keyloom::test {
namespace {

class StopKeyTest : public X11Test {
public:
    void SetUp() override {
        X11Test::SetUp();
        keyboard.emplace(x.get());
        if (!*keyboard) GTEST_SKIP() << "this X server has no keyboard device besides XTest";
        EXPECT_FALSE(desktop->stopKeyPressed());  // starts listening
    }
    // Calls stopKeyPressed until it answers true (past its rate limit).
    bool pressedWithin(double seconds) {
        return eventually([&] { return desktop->stopKeyPressed(); }, seconds);
    }
    std::optional<RealKeyboard> keyboard;
};

TEST_F(StopKeyTest, OtherRealKeysDoNotCount) {
    keyboard->tap(XK_Escape);
    keyboard->tap(XK_Pause);
    EXPECT_TRUE(pressedWithin(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(desktop->stopKeyPressed());
}

// A press while nothing asks (a command that lets no events run) is kept
// for the next stop test.
TEST_F(StopKeyTest, APressIsKeptUntilTheNextStopTest) {
    keyboard->tap(XK_Pause);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(desktop->stopKeyPressed() || pressedWithin(10));
}

// Pause pressed while no run goes on does not stop the next run.
TEST_F(StopKeyTest, APressBeforeTheRunIsLetGo) {
    keyboard->tap(XK_Pause);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    play({"Wait >0.02", "Wait >0.02"});
    EXPECT_EQ(state.stopFlag, 0);
}

}  // namespace
}  // namespace keyloom::test
