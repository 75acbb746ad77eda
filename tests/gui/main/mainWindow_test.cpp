// Our real windows under Xvfb and a window manager, driven by real input:
// clicks, key presses and pointer motion go through XTest on a connection of
// the test's own, and arrive at the windows as a user's would.
#include <wx/combobox.h>
#include <wx/textctrl.h>
#include <wx/vlbox.h>

#include "platform/fake/fakePlatform.h"
#include "support/harness.h"
#include "tests/gui/guiProgram.h"

namespace keyloom::ui::test {
namespace {

using keyloom::test::after;
using keyloom::test::control;
using keyloom::test::dialogs;
using keyloom::test::pumpFor;
using keyloom::test::pumpUntil;
using keyloom::test::settle;
using Lines = std::vector<std::string>;

// The main window as the program makes it, shown and ready for input. The
// window's desktop is the fake one, so a run's keys and clicks are recorded
// instead of reaching the windows on the screen.
class MainWindowGui : public keyloom::test::ProgramTest {
protected:
    MainWindowGui() { desktop = &fake; }
    void SetUp() override {
        ProgramTest::SetUp();
        if (HasFatalFailure()) return;
        frame = program->main;
        frame->Raise();
        ASSERT_TRUE(pumpUntil([this] { return frame->IsShownOnScreen() && frame->IsActive(); }, 10))
            << "the main window did not come up with the focus";
        settle(frame);
    }
    void TearDown() override {
        ProgramTest::TearDown();
        EXPECT_TRUE(dialogs().asked.empty()) << "a dialog came up: " << dialogs().asked.front();
    }

    template <typename T = wxWindow>
    T* find(const char* name) {
        return control<T>(frame, name);
    }
    // Presses a control's button with a real click.
    void press(const char* name) { input.click(find(name)); }
    // Waits until the list shows `want`.
    ::testing::AssertionResult shows(const Lines& want) {
        Lines got;
        auto same = [&] {
            got.clear();
            for (Index i = 0; i < frame->listCount(); ++i) got.push_back(frame->listEntry(i));
            return got == want;
        };
        return pumpUntil(same, 5) ? ::testing::AssertionSuccess()
                                  : ::testing::AssertionFailure() << ::testing::PrintToString(got);
    }
    // Fills in the builder: the command picked from its list.
    void pick(const char* word) { find<wxComboBox>("Combo1")->SetStringSelection(word); }

    platform::FakePlatform fake;
    wxWeakRef<tKeyloomFrame> frame;  // null once the window is gone
};

TEST_F(MainWindowGui, AddInsertDeleteAndClearByClicksAndKeys) {
    pick("Wait");
    press("add2List");
    ASSERT_TRUE(shows({"Wait >1"}));

    // Typed by hand: no list position, so the value form.
    wxComboBox* combo = find<wxComboBox>("Combo1");
    input.click(combo, 10);
    ASSERT_TRUE(pumpUntil([&] { return wxWindow::FindFocus() == combo; }, 5));
    combo->SelectAll();
    input.type("Press_Enter");  // taken before the click on Add, which comes after it
    find<wxTextCtrl>("Text1")->ChangeValue("abc");
    press("add2List");
    ASSERT_TRUE(shows({"Wait >1", "Press_Enter >abc"}));

    // Insert before the second entry, picked by a click on it; the pointer
    // over an entry shows it as the list's tooltip.
    wxVListBox* list = find<wxVListBox>("List1");
    input.click(list, 20, 8);
    ASSERT_TRUE(pumpUntil([&] { return list->GetSelection() == 0; }, 5));
    EXPECT_TRUE(pumpUntil([&] { return list->GetToolTipText() == "Wait >1"; }, 3));
    input.moveOnto(list, 10, list->GetClientSize().y - 2);
    EXPECT_TRUE(pumpUntil([&] { return list->GetToolTipText().empty(); }, 3))
        << "below the last entry";
    pick("Press_Tab");
    press("insert");
    ASSERT_TRUE(shows({"Press_Tab", "Wait >1", "Press_Enter >abc"}));

    list->SetSelection(1);
    press("deleteButton");
    ASSERT_TRUE(shows({"Press_Tab", "Press_Enter >abc"}));

    // File, Clear from the keyboard: Alt+F, C (File, Exit is program_test's).
    input.chord({XK_Alt_L, XK_f});
    pumpFor(0.3);
    input.chord({XK_c});
    ASSERT_TRUE(shows({}));
    EXPECT_EQ(program->state.lastIndex, 2) << "Clear leaves lastIndex";
}

TEST_F(MainWindowGui, StopDuringAWaitEndsTheWaitAndTheRun) {
    // A wait far longer than the test waits: the run ends only if Stop ends it.
    frame->listReplace(LineList::split("Press_Tab\nWait >60\nPress_Enter"));
    program->state.lastIndex = 2;
    after(0.5, [this] { press("Command1"); });
    press("Command2");
    ASSERT_TRUE(pumpUntil([&] { return !fake.log.empty() && program->state.runDepth == 0; }, 20))
        << "the wait ran on after Stop";
    EXPECT_EQ(fake.log, keyloom::test::tap(9)) << "Enter never came";
}

TEST_F(MainWindowGui, DoubleClickOnTheReadoutSwitchesTheTracker) {
    fake.cursor = {300, 200};
    EXPECT_TRUE(pumpUntil([&] { return find("mouseLocation")->GetLabel() == "300,200"; }, 3))
        << "the readout follows the cursor";
    input.moveOnto(find("mouseLocation"));
    ASSERT_TRUE(input.doubleClickUntil([&] { return program->windows.loaded(WindowId::Tracker); }));
    EXPECT_EQ(find("mouseLocation")->GetToolTipText(), "Double Click to turn off tracking");
    wxTopLevelWindow* tracker = program->windows.window(WindowId::Tracker);
    ASSERT_NE(tracker, nullptr);
    EXPECT_TRUE(pumpUntil([&] { return tracker->IsShownOnScreen(); }, 5));
    fake.cursor = {50, 60};
    EXPECT_TRUE(pumpUntil([&] { return tracker->GetPosition() == wxPoint(63, 73); }, 3))
        << "200 twips right of and below the cursor, following it";
    EXPECT_EQ(control(tracker, "Label1")->GetLabel(), "50,60");
    EXPECT_FALSE(tracker->IsActive()) << "the tracker does not take the focus";

    pumpFor(2.0);  // well after the first, however late the server saw it: no triple click
    ASSERT_TRUE(
        input.doubleClickUntil([&] { return !program->windows.loaded(WindowId::Tracker); }));
}

TEST_F(MainWindowGui, AboutBoxIsNotModalAndClosesFromItsLabel) {
    input.chord({XK_Alt_L, XK_h});
    pumpFor(0.3);
    input.chord({XK_a});
    ASSERT_TRUE(pumpUntil([&] { return program->windows.loaded(WindowId::About); }, 5));
    wxTopLevelWindow* about = program->windows.window(WindowId::About);
    ASSERT_TRUE(pumpUntil([&] { return about->IsShownOnScreen(); }, 5));
    settle(about);
    EXPECT_TRUE(frame->IsEnabled()) << "the main window stays usable";
    wxWindow* okay = control(about, "okay");
    ASSERT_NE(okay, nullptr);
    EXPECT_EQ(okay->GetLabel(), "Okay!");
    input.moveOnto(okay);
    EXPECT_TRUE(pumpUntil([&] { return okay->GetLabel() == "Click Here!"; }, 3));
    input.moveOnto(frame.get());
    EXPECT_TRUE(pumpUntil([&] { return okay->GetLabel() == "Okay!"; }, 3));
    input.click(okay);
    EXPECT_TRUE(pumpUntil([&] { return !program->windows.loaded(WindowId::About); }, 5));
}

TEST_F(MainWindowGui, HelpBookOpensAtItsContentsInItsViewerAndGoesWithTheProgram) {
    const std::string window = "Help: Keyloom Help";
    {
        WxToolkit withBook(KEYLOOM_HELP_BOOK, KEYLOOM_HELP_VIEWER);
        ASSERT_TRUE(withBook.showHelp());
        EXPECT_TRUE(pumpUntil([&] { return keyloom::test::windowTitled(x.get(), window) != 0; }, 10));
        EXPECT_TRUE(withBook.showHelp()) << "shown already";
    }
    EXPECT_TRUE(pumpUntil([&] { return keyloom::test::windowTitled(x.get(), window) == 0; }, 10));

    // Help that cannot be shown is reported, never a hang or a box.
    EXPECT_FALSE(WxToolkit("/nonexistent/Loomhlp.hhp", KEYLOOM_HELP_VIEWER).showHelp());
    EXPECT_FALSE(WxToolkit(KEYLOOM_HELP_BOOK, "/nonexistent/keyloom-help").showHelp());
}

}  // namespace
}  // namespace keyloom::ui::test
