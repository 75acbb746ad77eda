// The X11 desktop's input beyond the desktop contract's rows
// (contract_test.cpp): keys the keyboard map lacks, sent through spare
// keycodes bound for them and given back; the stop key; the last events of a
// player that ends at once.
#include "x11Fixture.h"  // first: gtest before the X11 macros
#include <X11/keysym.h>

#include <map>
#include <set>
#include <thread>

#include "files/fileRoutine.h"

namespace keyloom::test {
namespace {

// Virtual keys whose keysyms the usual X keymap (and Xvfb's) lacks.
const std::pair<std::uint8_t, const char*> kMissing[] = {
    {0x2B, "Execute"}, {0x29, "Select"}, {0x0C, "Clear"}, {0x6C, "KP_Separator"}};

TEST_F(X11ProbeTest, KeysTheMapLacksArriveThroughSpareKeycodesGivenBackWhenTheRunEnds) {
    std::map<unsigned, std::string> spares;  // keycode: key
    for (int tap = 0; tap < 2; ++tap) {      // the second tap reuses the binding
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
            if (tap == 0)
                spares[events[0].keycode] = name;
            else
                EXPECT_EQ(spares[events[0].keycode], name);
        }
    }
    EXPECT_EQ(spares.size(), std::size(kMissing)) << "each key has a keycode of its own";
    desktop->endRun();
    for (auto [keycode, name] : spares) EXPECT_TRUE(keysymsOf(x.get(), keycode).empty()) << name;
}

// The stop key, pressed on the server's own keyboard device (RealKeyboard):
// only Pause counts, once per press. That a real Pause stops a run is shown by
// the fault tier (randomStops_test.cpp), that an injected one does not by a
// row of the desktop contract, that a press before the run is let go by the
// unit tier (runner_test.cpp).
TEST_F(X11Test, OnlyARealPauseCountsOncePerPress) {
    RealKeyboard keyboard(x.get());
    if (!keyboard) GTEST_SKIP() << "this X server has no keyboard device besides XTest";
    EXPECT_FALSE(desktop->stopKeyPressed());  // starts listening
    keyboard.tap(XK_Escape);
    keyboard.tap(XK_Pause);
    // Not looked at for a while (a long wait of the run): the press is kept.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(eventually([&] { return desktop->stopKeyPressed(); }, 10));
    // Past the rate limit of the stop test: nothing is left to count.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(desktop->stopKeyPressed());
}

// The player syncs with the server before it closes its connection: a run
// that ends right after its last event still delivers every one of them.
TEST_F(X11ProbeTest, AShortPlayerRunLosesNoFinalEvents) {
    std::vector<std::string> entries(50, "Press_Tab");
    entries.push_back("Press_End");
    TempDir dir;
    writeFile(dir / "macro.tkl", fileRoutine::listFileBytes(VectorList(entries)));
    std::vector<std::string> want;
    for (int i = 0; i < 50; ++i) want.insert(want.end(), {"down Tab", "up Tab"});
    want.insert(want.end(), {"down End", "up End"});
    for (int run = 0; run < 25; ++run) {
        SCOPED_TRACE("run " + std::to_string(run + 1));
        ChildProcess player;
        ASSERT_TRUE(player.start({playerPath(), dir.str("macro.tkl")}));
        ASSERT_EQ(player.wait(30), std::optional<int>(0));
        ASSERT_EQ(describe(received()), want);
    }
}

}  // namespace
}  // namespace keyloom::test
