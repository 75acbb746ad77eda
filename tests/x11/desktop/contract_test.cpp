// The desktop contract (support/desktopContract.h) on X11: every row played
// into the probe window (X11ProbeTest::describe puts its events in the
// contract's form); the text rows under the US and the German layout; the
// activation titles.
#include "x11Fixture.h"  // first: gtest before the X11 macros
#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include "support/desktopContract.h"
#include "x11/support/offMapText.h"

namespace keyloom::test {
namespace {

using Contract = X11ProbeTest;

TEST_F(Contract, EveryRowArrivesAsWrittenAndNothingStaysHeld) {
    // The usual X keymap gives Scroll_Lock no modifier, so the key locks
    // nothing; a keymap that does ("add mod3 = Scroll_Lock") makes it a lock
    // like the others.
    KeymapGuard keymap;
    ASSERT_TRUE(keymap.ok());
    XModifierKeymap* map = XInsertModifiermapEntry(
        XGetModifierMapping(x.get()), XKeysymToKeycode(x.get(), XK_Scroll_Lock), Mod3MapIndex);
    ASSERT_EQ(XSetModifierMapping(x.get(), map), MappingSuccess);
    XFreeModifiermap(map);
    std::vector<ContractRow> rows = desktopContractRows();
    // Window managers take Print for themselves; ours (scripts/with-display.sh)
    // has no key bindings, so the window gets it.
    rows.push_back({"PrintScreen", {"Press_PrintScreen"}, {"down Print", "up Print"}});
    for (const ContractRow& row : rows) {
        SCOPED_TRACE(row.name);
        guard.reset();  // no lock left on by the row before, the buttons as they were
        guard.emplace(x.get());
        EXPECT_EQ(desktop->swapMouseButton(row.swapped), 0);
        desktop->setCursorPos(probe.left() + kContractCursor.first,
                              probe.top() + kContractCursor.second);
        received();  // the guard's own taps
        EXPECT_EQ(describe(play(row.entries, row.expected.size())), row.expected);
        EXPECT_TRUE(keysDown(x.get()).empty());
        EXPECT_EQ(buttonsDown(x.get()), 0U);
        EXPECT_EQ(desktop->swapMouseButton(0) != 0, row.swapped);
        EXPECT_FALSE(buttonsSwapped(x.get()));
    }
}

TEST_F(Contract, EveryTextArrivesAsWrittenUnderTheUsAndTheGermanLayout) {
    for (const char* layout : {"", "setxkbmap de"}) {
        SCOPED_TRACE(layout);
        KeymapGuard keymap(layout);
        ASSERT_TRUE(keymap.ok());
        // Many more different characters than there are spare keycodes: they
        // are bound, used and bound again in turn, and none comes out garbled.
        auto texts = kContractTexts;
        texts.emplace_back(mixedOffMapText(400), mixedOffMapText(400));
        for (const auto& [text, expected] : texts)
            EXPECT_EQ(textOf(play({"SendText >" + text})), expected) << text;
        EXPECT_TRUE(keysDown(x.get()).empty());
    }
}

// SetFocus against probe windows under the window manager: the contract's
// titles, and a Latin-1 WM_NAME alone as old programs set it. The key sent
// next reaches the window activated and no other.
TEST_F(X11Test, ActivationByTitleFocusesThatWindow) {
    std::vector<std::string> titles = kContractTitles;
    titles.push_back("Keyloom Caf\xE9");
    std::vector<std::unique_ptr<ProbeProcess>> windows;
    for (const std::string& title : titles) {
        windows.push_back(std::make_unique<ProbeProcess>(title));
        ASSERT_TRUE(windows.back()->start()) << windows.back()->error();
    }
    auto cases = kContractActivations;
    cases.insert(cases.end(), {{"Keyloom Café", 4}, {"Keyloom Focus Alpha", 0}});
    for (const auto& [title, index] : cases) {
        EXPECT_TRUE(desktop->activateWindow(title)) << title;
        desktop->keybdEvent(9, 0, platform::kKeyDown);
        desktop->keybdEvent(9, 0, platform::kKeyUp);
        desktop->sync();
        for (std::size_t i = 0; i < windows.size(); ++i)
            EXPECT_EQ(keysAndButtons(windows[i]->sync()).size(), i == std::size_t(index) ? 2U : 0U)
                << title << ": window " << i;
    }
    for (const std::string& title : kContractNoMatch)
        EXPECT_FALSE(desktop->activateWindow(title)) << title;
}

}  // namespace
}  // namespace keyloom::test
