// SetFocus against probe windows under the window manager: the desktop
// contract's titles (support/desktopContract.h), and a Latin-1 WM_NAME alone
// as old programs set it. The key sent next reaches
// the window activated and no other.
#include "x11Fixture.h"  // first: gtest before the X11 macros

#include "support/desktopContract.h"

namespace keyloom::test {
namespace {

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
