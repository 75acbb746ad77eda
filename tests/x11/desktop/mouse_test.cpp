// Mouse commands on X11 beyond the desktop contract's clicks: the physical
// button, the swap setting, the cursor's moves.
#include <algorithm>

#include "x11Fixture.h"
#include "x11/support/rawInput.h"

namespace keyloom::test {
namespace {

using Lines = std::vector<std::string>;

// With the buttons swapped the primary button is the physical right one:
// the server sees that button (the probe's view is a row of the contract).
TEST_F(X11ProbeTest, LeftCommandsUseThePhysicalRightButtonWhenTheButtonsAreSwapped) {
    swapButtons(x.get(), true);
    RawInputLog raw;
    ASSERT_TRUE(raw);
    moveCursor(probe.centerX(), probe.centerY());
    play({"LClick"}, 2);
    // The server saw the physical right button, which now acts as primary.
    Lines physical;
    for (const RawEvent& e : raw.take(2))
        if (!e.key) physical.push_back(e.describe());
    EXPECT_EQ(physical, (Lines{"down button 3", "up button 3"}));
}

TEST_F(X11ProbeTest, SwapMouseButtonReportsAndRestoresTheSetting) {
    ASSERT_FALSE(buttonsSwapped(x.get()));
    EXPECT_EQ(desktop->swapMouseButton(1), 0);
    EXPECT_TRUE(buttonsSwapped(x.get()));
    EXPECT_NE(desktop->swapMouseButton(0), 0);
    EXPECT_FALSE(buttonsSwapped(x.get()));
    EXPECT_EQ(desktop->swapMouseButton(0), 0);
    EXPECT_FALSE(buttonsSwapped(x.get()));
}

TEST_F(X11ProbeTest, MouseMovePutsTheCursorWhereItSays) {
    const int l = probe.left(), t = probe.top();
    const int r = l + probe.width() - 1, b = t + probe.height() - 1;
    const std::pair<int, int> points[] = {{l, t}, {r, b}, {l + 100, t + 7}, {r - 1, t + 300}};
    for (auto [px, py] : points) {
        SCOPED_TRACE(std::to_string(px) + "," + std::to_string(py));
        auto events = [&] {
            list.entries() = {"MouseMove >" + std::to_string(px) + "," + std::to_string(py)};
            state.lastIndex = list.count();
            engine->command2Click();
            return everything();
        }();
        EXPECT_EQ(cursor(), std::make_pair(px, py));
        EXPECT_EQ(desktop->getCursorPos(), (platform::Point{px, py}));
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().kind, "MotionNotify");
        EXPECT_EQ(std::make_pair(events.back().x, events.back().y), std::make_pair(px, py));
    }
}

TEST_F(X11ProbeTest, MouseMoveOffTheScreenStopsAtItsEdge) {
    const int w = DisplayWidth(x.get(), DefaultScreen(x.get()));
    const int h = DisplayHeight(x.get(), DefaultScreen(x.get()));
    play({"MouseMove >-40,-7"});
    EXPECT_EQ(cursor(), std::make_pair(0, 0));
    play({"MouseMove >32767,32767"});
    EXPECT_EQ(cursor(), std::make_pair(w - 1, h - 1));
}

TEST_F(X11ProbeTest, MouseMoveWithABadArgumentLeavesTheCursor) {
    moveCursor(probe.left() + 5, probe.top() + 6);
    play({"MouseMove >abc", "MouseMove >12", "MouseMove >40000,5", "MouseMove"});
    EXPECT_EQ(cursor(), std::make_pair(probe.left() + 5, probe.top() + 6));
}

}  // namespace
}  // namespace keyloom::test
