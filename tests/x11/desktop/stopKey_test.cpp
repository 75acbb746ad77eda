// The stop key, pressed on the server's own keyboard device (RealKeyboard):
// only Pause counts, once per press. That a real Pause stops a run is shown by
// the fault tier (randomStops_test.cpp), that an injected one does not by a
// row of the desktop contract, that a press before the run is let go by the
// unit tier (runner_test.cpp).
#include "x11Fixture.h"  // first: gtest before the X11 macros
#include <X11/keysym.h>

#include <thread>

namespace keyloom::test {
namespace {

TEST_F(X11Test, OnlyARealPauseCountsOncePerPress) {
    RealKeyboard keyboard(x.get());
    if (!keyboard) GTEST_SKIP() << "this X server has no keyboard device besides XTest";
    EXPECT_FALSE(desktop->stopKeyPressed());  // starts listening
    keyboard.tap(XK_Escape);
    keyboard.tap(XK_Pause);
    EXPECT_TRUE(eventually([&] { return desktop->stopKeyPressed(); }, 10));
    // Past the rate limit of the stop test: nothing is left to count.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(desktop->stopKeyPressed());
}

}  // namespace
}  // namespace keyloom::test
