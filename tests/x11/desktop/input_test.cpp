// The X11 desktop's input beyond the desktop contract's rows
// (contract_test.cpp): keys the keyboard map lacks, sent through spare
// keycodes bound for them and given back.
#include "x11Fixture.h"  // first: gtest before the X11 macros
#include <X11/keysym.h>

#include <map>
#include <set>

namespace keyloom::test {
namespace {

// Virtual keys whose keysyms the usual X keymap (and Xvfb's) lacks.
const std::pair<std::uint8_t, const char*> kMissing[] = {
    {0x2B, "Execute"}, {0x29, "Select"}, {0x0C, "Clear"}, {0x6C, "KP_Separator"}};

TEST_F(X11ProbeTest, KeysTheMapLacksArriveThroughSpareKeycodesGivenBackWhenTheRunEnds) {
    std::map<unsigned, std::string> spares;  // keycode: key
    for (int tap = 0; tap < 2; ++tap) {       // the second tap reuses the binding
        for (auto [vk, name] : kMissing) {
            SCOPED_TRACE(name);
            const KeySym keysym = XStringToKeysym(name);
            ASSERT_TRUE(tap > 0 || XKeysymToKeycode(x.get(), keysym) == 0) << "the map has it";
            desktop->keybdEvent(vk, 0, platform::kKeyDown);
            desktop->keybdEvent(vk, 0, platform::kKeyUp);
            auto events = received(2);
            ASSERT_EQ(events.size(), 2U);
            EXPECT_EQ(events[0].kind + " " + events[0].name + ", " + events[1].kind,
                      "KeyPress " + std::string(name) + ", KeyRelease");
            EXPECT_EQ(events[1].keycode, events[0].keycode);
            // Bound to the key alone, whatever the shift state.
            auto bound = keysymsOf(x.get(), events[0].keycode);
            EXPECT_EQ(std::set<unsigned long>(bound.begin(), bound.end()),
                      std::set<unsigned long>{keysym});
            if (tap == 0) spares[events[0].keycode] = name;
            else EXPECT_EQ(spares[events[0].keycode], name);
        }
    }
    EXPECT_EQ(spares.size(), std::size(kMissing)) << "each key has a keycode of its own";
    desktop->endRun();
    for (auto [keycode, name] : spares) EXPECT_TRUE(keysymsOf(x.get(), keycode).empty()) << name;
}

}  // namespace
}  // namespace keyloom::test
