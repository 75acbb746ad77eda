// The stop key. Xvfb has a keyboard device of its own ("Xvfb keyboard")
// beside the XTest one: a key event sent through XTest *for that device*
// reaches clients exactly as a press on a real keyboard does, from that
// device. So both sides can be shown: Pause from a real keyboard stops a
// run, Pause injected through XTest (as every macro tool sends it) never does.
#include "actionsFixture.h"  // first: gtest before the X11 macros
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

class StopKeyTest : public X11ActionsTest {
public:
    void SetUp() override {
        X11ActionsTest::SetUp();
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

// A loop that would run for ever ends at the stop test after the press.
TEST_F(StopKeyTest, RealPauseStopsARun) {
    int passes = 0;
    list.entries() = {"Press_Tab", "Loop"};
    state.lastIndex = list.count();
    // Each pass lets events run once (after Loop): press Pause on the tenth.
    class Hook final : public platform::Toolkit {
    public:
        Hook(ScriptedToolkit& inner, RealKeyboard& keyboard, int& passes)
            : inner_(inner), keyboard_(keyboard), passes_(passes) {}
        double now() override { return inner_.now(); }
        void letEventsRun() override {
            if (++passes_ == 10) keyboard_.tap(XK_Pause);
        }
        void waitUntil(double d) override { inner_.waitUntil(d); }
        void shortWait(int ms) override { inner_.shortWait(ms); }
        platform::MessageAnswer messageBox(const std::string& t, const std::string& title,
                                           platform::MessageStyle s) override {
            return inner_.messageBox(t, title, s);
        }
        std::optional<std::string> fileDialog(platform::DialogKind, const std::string&, int) override {
            return std::nullopt;
        }
        bool showHelp() override { return false; }
        std::optional<std::string> clipboardText() override { return std::nullopt; }
        void setClipboardText(const std::string&) override {}
        platform::StopRequest pendingStop() override {
            // Ends a run that the stop key failed to stop.
            return passes_ > 200000 ? platform::StopRequest::Stop : platform::StopRequest::NoRequest;
        }

    private:
        ScriptedToolkit& inner_;
        RealKeyboard& keyboard_;
        int& passes_;
    } hook(toolkit, *keyboard, passes);
    Engine run(state, list, *desktop, hook);
    run.command2Click();
    EXPECT_EQ(state.stopFlag, 1);
    EXPECT_GE(passes, 10);
    EXPECT_LT(passes, 200000) << "the Pause key did not stop the run";
}

}  // namespace
}  // namespace keyloom::test
