// The X11 desktop's input beyond the desktop contract's rows
// (contract_test.cpp): the button swap setting; the cursor's moves; keys the
// keyboard map lacks, sent through spare keycodes bound for them and given
// back.
#include "x11Fixture.h"  // first: gtest before the X11 macros
#include <X11/keysym.h>

#include <algorithm>
#include <set>

namespace keyloom::test {
namespace {

TEST_F(X11ProbeTest, SwapMouseButtonReportsAndRestoresTheSetting) {
    ASSERT_FALSE(buttonsSwapped(x.get()));
    EXPECT_EQ(desktop->swapMouseButton(1), 0);
    EXPECT_TRUE(buttonsSwapped(x.get()));
    EXPECT_NE(desktop->swapMouseButton(0), 0);
    EXPECT_FALSE(buttonsSwapped(x.get()));
    EXPECT_EQ(desktop->swapMouseButton(0), 0);
    EXPECT_FALSE(buttonsSwapped(x.get()));
}

// The cursor goes where MouseMove says, and stops at the screen's edge.
TEST_F(X11ProbeTest, MouseMovePutsTheCursorWhereItSays) {
    const int l = probe.left(), t = probe.top();
    const int r = l + probe.width() - 1, b = t + probe.height() - 1;
    const int w = DisplayWidth(x.get(), DefaultScreen(x.get()));
    const int h = DisplayHeight(x.get(), DefaultScreen(x.get()));
    const std::pair<platform::Point, platform::Point> moves[] = {
        {{-40, -7}, {0, 0}},
        {{32767, 32767}, {w - 1, h - 1}},
        {{l, t}, {l, t}},
        {{r, b}, {r, b}},
        {{l + 100, t + 7}, {l + 100, t + 7}},
    };
    for (auto [to, at] : moves) {
        SCOPED_TRACE(std::to_string(to.x) + "," + std::to_string(to.y));
        X11Test::play({"MouseMove >" + std::to_string(to.x) + "," + std::to_string(to.y)});
        EXPECT_EQ(desktop->getCursorPos(), at);
    }
    // The window saw the last move, which is inside it.
    const auto events = everything();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().kind, "MotionNotify");
    EXPECT_EQ(std::make_pair(events.back().x, events.back().y), std::make_pair(l + 100, t + 7));
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
        ASSERT_EQ(XKeysymToKeycode(x.get(), k.keysym), 0) << "the keyboard map has " << k.name;
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
