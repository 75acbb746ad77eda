// Print Screen, which window managers take for themselves; the key words
// every desktop taps alike are rows of the desktop contract.
// gtest before Xlib, whose None macro it cannot take.
#include "x11Fixture.h"
#include "x11/support/rawInput.h"

#include <X11/keysym.h>

#include <algorithm>

namespace keyloom::test {
namespace {

// Window managers take Print for themselves (openbox runs a screenshot tool,
// or says it cannot): the server must still get the tap, and the window sees
// what the manager did not take.
TEST_F(X11ProbeTest, PrintScreenTapsPrintOnTheDesktop) {
    RawInputLog raw;
    ASSERT_TRUE(raw);
    const auto before = clientWindows(x.get());
    auto inWindow = describe(play({"Press_PrintScreen"}));
    std::vector<std::string> keys;
    for (const RawEvent& e : raw.take(2))
        if (e.key) keys.push_back(e.describe());
    const std::string print = std::to_string(keycode(XK_Print));
    EXPECT_EQ(keys, (std::vector<std::string>{"down key " + print, "up key " + print}));
    // All of the tap, or what the manager's grab left: nothing, or the
    // release when the grab ended before it.
    const std::vector<std::vector<std::string>> allowed = {{}, {"up Print"}, tapOf("Print")};
    EXPECT_NE(std::find(allowed.begin(), allowed.end(), inWindow), allowed.end())
        << ::testing::PrintToString(inWindow);
    // Whatever the key opened must not cover the next test's window.
    closeWindowsOpenedSince(x.get(), before, 1.0);
}

}  // namespace
}  // namespace keyloom::test
