// The X11 desktop's input beyond the desktop contract's rows
// (contract_test.cpp): keys the keyboard map lacks, sent through spare
// keycodes bound for them and given back.
#include "x11Fixture.h"  // first: gtest before the X11 macros
#include <X11/keysym.h>

#include <algorithm>
#include <set>

namespace keyloom::test {
namespace {

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
