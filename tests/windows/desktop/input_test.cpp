// The Win32 desktop's input operations beyond the desktop contract's rows
// (contract_test.cpp), under Windows or Wine.
#include <gtest/gtest.h>

#include "platform/win32/win32Desktop.h"
#include "probe.h"

namespace keyloom::test {
namespace {

using platform::Win32Desktop;

class Input : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(probe.ready()) << "the probe window never got the focus";
        ASSERT_TRUE(settleCursor(5, 5));
        probe.mark();
    }

    Win32Desktop desktop;
    Probe probe{"Keyloom Input Probe"};
};

TEST_F(Input, AsyncKeyStateFollowsInjectedKeys) {
    desktop.keybdEvent(16, 0, platform::kKeyDown);
    EXPECT_LT(desktop.getAsyncKeyState(16), 0);
    desktop.keybdEvent(16, 0, platform::kKeyUp);
    EXPECT_GE(desktop.getAsyncKeyState(16), 0);
}

TEST_F(Input, CursorGoesWhereItIsPut) {
    for (platform::Point p : {platform::Point{120, 210}, platform::Point{300, 250}}) {
        desktop.setCursorPos(p.x, p.y);
        EXPECT_EQ(desktop.getCursorPos(), p);
    }
}

TEST_F(Input, InjectedPauseIsNoStopKey) {
    desktop.keybdEvent(19, 0, platform::kKeyDown);
    desktop.keybdEvent(19, 0, platform::kKeyUp);
    ASSERT_TRUE(probe.waitFor("keyup 19 -"));
    EXPECT_FALSE(desktop.stopKeyPressed());
}

}  // namespace
}  // namespace keyloom::test
