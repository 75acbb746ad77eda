// Mouse commands played through the X11 desktop into a real window.
#include <algorithm>

#include "x11Fixture.h"
#include "x11/support/rawInput.h"

namespace keyloom::test {
namespace {

using Lines = std::vector<std::string>;

Lines clickAt(int button, int px, int py) {
    std::string where = " " + std::to_string(px) + "," + std::to_string(py);
    std::string b = "button" + std::to_string(button);
    return {"down " + b + where, "up " + b + where};
}

Lines joined(std::initializer_list<Lines> parts) {
    Lines out;
    for (const Lines& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

struct ClickCase {
    const char* word;
    Lines (*expected)(int px, int py);
};

// Left is the primary button (1), right the secondary one (3).
const ClickCase kClicks[] = {
    {"LClick", [](int px, int py) { return clickAt(1, px, py); }},
    {"RClick", [](int px, int py) { return clickAt(3, px, py); }},
    {"LDblClick", [](int px, int py) { return joined({clickAt(1, px, py), clickAt(1, px, py)}); }},
    {"RDblClick", [](int px, int py) { return joined({clickAt(3, px, py), clickAt(3, px, py)}); }},
    {"LDown LUp", [](int px, int py) { return clickAt(1, px, py); }},
    {"RDown RUp", [](int px, int py) { return clickAt(3, px, py); }},
};

void expectClicksAtTheCursor(X11ProbeTest& t, const char* trace) {
    for (const ClickCase& c : kClicks) {
        SCOPED_TRACE(std::string(trace) + c.word);
        const int px = t.probe.left() + 17, py = t.probe.top() + 23;
        t.moveCursor(px, py);
        EXPECT_EQ(t.playExpecting({c.word}, c.expected(px, py)), c.expected(px, py));
    }
}

TEST_F(X11ProbeTest, ClicksArriveAtTheCursorPosition) {
    expectClicksAtTheCursor(*this, "");
    EXPECT_EQ(buttonsDown(x.get()), 0U);
}

// With the buttons swapped the primary button is the physical right one:
// the L commands must still act on the primary button.
TEST_F(X11ProbeTest, LeftCommandsUseThePrimaryButtonWhenTheButtonsAreSwapped) {
    swapButtons(x.get(), true);
    ASSERT_TRUE(buttonsSwapped(x.get()));
    expectClicksAtTheCursor(*this, "swapped: ");

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

TEST_F(X11ProbeTest, AButtonHeldWhenTheRunEndsIsReleasedEvenWhenSwapped) {
    for (bool swapped : {false, true}) {
        SCOPED_TRACE(swapped ? "swapped" : "not swapped");
        swapButtons(x.get(), swapped);
        const int px = probe.centerX(), py = probe.centerY();
        Lines got = describe(play({moveToProbe(), "LDown", "RDown"}, 4));
        ASSERT_EQ(got.size(), 4U);
        EXPECT_EQ((Lines{got[0], got[1]}), (Lines{clickAt(1, px, py)[0], clickAt(3, px, py)[0]}));
        std::sort(got.begin() + 2, got.end());
        EXPECT_EQ((Lines{got[2], got[3]}), (Lines{clickAt(1, px, py)[1], clickAt(3, px, py)[1]}));
        EXPECT_EQ(buttonsDown(x.get()), 0U);
    }
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
