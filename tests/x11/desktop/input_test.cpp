// The X11 desktop's input beyond the desktop contract's rows
// (contract_test.cpp): Print Screen, which window managers take; the
// physical button under a swap; the cursor's moves; keys the keyboard map
// lacks, sent through spare keycodes bound for them and given back.
#include "x11Fixture.h"  // first: gtest before the X11 macros
#include <X11/keysym.h>

#include <algorithm>
#include <set>

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

struct MissingKey {
    std::uint8_t vk;
    KeySym keysym;
    const char* name;
};

// Virtual keys whose keysyms the usual X keymap (and Xvfb's) lacks.
constexpr MissingKey kMissing[] = {
    {0x2B, XK_Execute, "Execute"},
    {0x29, XK_Select, "Select"},
    {0x0C, XK_Clear, "Clear"},
    {0x6C, XK_KP_Separator, "KP_Separator"},
};

TEST_F(X11ProbeTest, KeysTheMapLacksArriveThroughSpareKeycodesGivenBackWhenTheRunEnds) {
    for (const MissingKey& k : kMissing)
        ASSERT_EQ(keycode(k.keysym), 0U) << "the keyboard map has " << k.name;
    std::set<unsigned> spares;
    for (const MissingKey& k : kMissing) {
        SCOPED_TRACE(k.name);
        desktop->keybdEvent(k.vk, 0, platform::kKeyDown);
        desktop->keybdEvent(k.vk, 0, platform::kKeyUp);
        auto events = received(2);
        ASSERT_EQ(events.size(), 2U);
        EXPECT_EQ(events[0].kind, "KeyPress");
        EXPECT_EQ(events[0].name, k.name);
        EXPECT_EQ(events[1].kind, "KeyRelease");
        EXPECT_EQ(events[1].keycode, events[0].keycode);
        spares.insert(events[0].keycode);
        // Bound to the key alone, whatever the shift state.
        auto bound = keysymsOf(x.get(), events[0].keycode);
        EXPECT_FALSE(bound.empty());
        EXPECT_EQ(std::count(bound.begin(), bound.end(), k.keysym),
                  static_cast<std::ptrdiff_t>(bound.size()));
    }
    EXPECT_EQ(spares.size(), std::size(kMissing)) << "each key has a keycode of its own";

    // A second tap reuses the binding.
    desktop->keybdEvent(kMissing[0].vk, 0, platform::kKeyDown);
    desktop->keybdEvent(kMissing[0].vk, 0, platform::kKeyUp);
    auto again = received(2);
    ASSERT_EQ(again.size(), 2U);
    EXPECT_TRUE(spares.count(again[0].keycode));

    desktop->endRun();
    for (unsigned keycode : spares) EXPECT_TRUE(keysymsOf(x.get(), keycode).empty()) << keycode;
}

}  // namespace
}  // namespace keyloom::test
