// The stop key. Xvfb has a keyboard device of its own ("Xvfb keyboard")
// beside the XTest one: a key event sent through XTest *for that device*
// reaches clients exactly as a press on a real keyboard does, from that
// device. So both sides can be shown: Pause from a real keyboard stops a
// run, Pause injected through XTest (as every macro tool sends it) never does.
#include "x11Fixture.h"  // first: gtest before the X11 macros
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstring>
#include <thread>

#include "platform/x11/x11StopKey.h"

namespace keyloom::test {
namespace {

void injectedTap(Display* display, KeySym keysym) {
    KeyCode keycode = XKeysymToKeycode(display, keysym);
    XTestFakeKeyEvent(display, keycode, True, CurrentTime);
    XTestFakeKeyEvent(display, keycode, False, CurrentTime);
    XSync(display, False);
}

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

TEST_F(StopKeyTest, InjectedPauseNeverCountsARealOneDoesOnce) {
    injectedTap(x.get(), XK_Pause);
    desktop->keybdEvent(19, 0, platform::kKeyDown);  // Press_Pause of a macro
    desktop->keybdEvent(19, 0, platform::kKeyUp);
    desktop->sync();
    keyboard->tap(XK_Pause);
    // Events come in order: when the real press is seen, the injected ones
    // before it have been read and passed over.
    EXPECT_TRUE(pressedWithin(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(desktop->stopKeyPressed());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(desktop->stopKeyPressed());
}

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
