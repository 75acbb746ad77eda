// The editor window on the screen: opened from the main window's Build menu,
// its palette double-clicked with the real mouse, its text saved and opened
// through the real file dialogs, its Edit menu and shortcuts, its close box.
#include <gtest/gtest.h>
#include <wx/display.h>
#include <wx/listbox.h>
#include <wx/textctrl.h>

#include "tests/gui/guiProgram.h"
#include "tests/gui/windowManager.h"
#include "ui/editor/macroEditorFrame.h"

namespace keyloom::test {
namespace {

class EditorWindow : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (HasFatalFailure()) return;
        program->chooseMenu("Build", "Edit");
        editor = program->window<ui::macroEditorFrame>(ui::WindowId::Editor);
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(pumpUntil([&] { return editor->IsShownOnScreen(); }));
        txtEdit = control<wxTextCtrl>(editor, "txtEdit");
        List1 = control<wxListBox>(editor, "List1");
        ASSERT_NE(txtEdit, nullptr);
        ASSERT_NE(List1, nullptr);
    }
    std::string text() const { return ui::fromWx(txtEdit->GetValue()); }

    // Makes the editor the active window, as a click on its frame does.
    void makeActive() {
        ASSERT_TRUE(pumpUntil([&] { return managed(x.get(), editor); }));
        activate(x.get(), editor);
        ASSERT_TRUE(pumpUntil([&] { return editor->IsActive(); }));
    }

    // Double-clicks palette entry `index` with the mouse, in the active editor.
    void doubleClickPalette(int index) {
        makeActive();
        List1->EnsureVisible(index);
        wxPoint at;
        auto find = [&] {
            for (int y = 0; y < List1->GetClientSize().y; ++y)
                if (List1->HitTest(wxPoint(10, y)) == index) {
                    at = wxPoint(10, y + 4);
                    return true;
                }
            return false;
        };
        // Clicks further apart than the double-click time start a new gesture;
        // the list has settled after scrolling.
        pumpFor(0.6);
        ASSERT_TRUE(pumpUntil(find)) << "entry " << index << " is not on the screen";
        wxPoint screen = List1->ClientToScreen(at);
        const std::string before = text();
        input.moveTo(screen.x, screen.y);
        ASSERT_TRUE(input.doubleClickUntil([&] { return text() != before; })) << "entry " << index;
    }

    ui::macroEditorFrame* editor = nullptr;
    wxTextCtrl* txtEdit = nullptr;
    wxListBox* List1 = nullptr;
};

TEST_F(EditorWindow, OpensCentredWithThePaletteInFrontOfTheText) {
    // Centred, give or take the window manager's title bar, whose height the
    // toolkit learns only once its first window of the kind is on the screen.
    wxRect screen = wxDisplay(editor).GetGeometry();
    wxRect frame = editor->GetRect();
    EXPECT_NEAR(frame.x + frame.width / 2, screen.width / 2, 2);
    EXPECT_NEAR(frame.y + frame.height / 2, screen.height / 2, 32);
    EXPECT_EQ(txtEdit->GetPosition(), wxPoint(0, 0));
    EXPECT_EQ(txtEdit->GetSize(), txtEdit->GetParent()->GetClientSize());

    // Resizing: the text box follows the window, the palette stays.
    const wxRect palette = List1->GetRect();
    editor->SetSize(editor->GetSize() + wxSize(120, 80));
    ASSERT_TRUE(pumpUntil([&] { return txtEdit->GetSize() == txtEdit->GetParent()->GetClientSize(); }));
    EXPECT_EQ(List1->GetRect(), palette);
}

TEST_F(EditorWindow, PaletteLinesSavedAndOpenedAgainByteForByte) {
    doubleClickPalette(3);   // Wait
    doubleClickPalette(11);  // Press_Enter

    const std::string file = folder.str("palette.tkl");
    dialogs().paths.push_back(file);
    GuiProgram::choose(editor, "File", "Save As...");
    EXPECT_EQ(readFile(file), "Wait >\r\nPress_Enter\r\n\r\n");

    GuiProgram::choose(editor, "File", "New");
    EXPECT_EQ(text(), "");
    dialogs().paths.push_back(file);
    GuiProgram::choose(editor, "File", "Open...");
    EXPECT_EQ(text(), "Wait >\nPress_Enter\n\n");
    // The window shows the caption; which one is macroEditor_test's.
    EXPECT_EQ(ui::fromWx(editor->GetTitle()), "Tervel's Keyloom: " + file);
    EXPECT_NE(editor->GetMenuBar()->FindMenuItem("File", ui::toWx(file)), wxNOT_FOUND)
        << "the path is in the recent files";
    EXPECT_EQ(dialogs().asked,
              (std::vector<std::string>{
                  "save 2 Text Files (*.txt)|*.txt|Tervel Files (*.tkl)|*.tkl",
                  "open 2 Text Files (*.txt)|*.txt|Tervel Files (*.tkl)|*.tkl"}));
}

TEST_F(EditorWindow, EditMenuAndShortcutsUseTheSystemClipboard) {
    txtEdit->ChangeValue("LClick\nLoop\n");
    makeActive();
    txtEdit->SetFocus();
    ASSERT_TRUE(pumpUntil([&] { return wxWindow::FindFocus() == txtEdit; }));
    txtEdit->SetSelection(0, 6);
    input.chord({XK_Control_L, XK_c});
    ASSERT_TRUE(pumpUntil([&] { return program->toolkit.clipboardText() == "LClick"; }));

    txtEdit->SetInsertionPointEnd();
    input.chord({XK_Control_L, XK_v});
    ASSERT_TRUE(pumpUntil([&] { return text() == "LClick\nLoop\nLClick"; }));

    // Opening the Edit menu with no selection disables Cut and Copy.
    txtEdit->SetInsertionPoint(0);
    input.chord({XK_Alt_L, XK_e});
    wxMenuBar* bar = editor->GetMenuBar();
    const int cut = bar->FindMenuItem("Edit", "Cut");
    ASSERT_TRUE(pumpUntil([&] { return !bar->IsEnabled(cut); }));
    EXPECT_FALSE(bar->IsEnabled(bar->FindMenuItem("Edit", "Copy")));
    EXPECT_TRUE(bar->IsEnabled(bar->FindMenuItem("Edit", "Paste")));
    input.chord({XK_Escape});
    pump();
}

TEST_F(EditorWindow, TheCloseBoxClosesTheEditorOnly) {
    txtEdit->ChangeValue("Press_Tab\n");  // unsaved
    ASSERT_TRUE(pumpUntil([&] { return managed(x.get(), editor); }));
    pressCloseBox(x.get(), editor);
    ASSERT_TRUE(pumpUntil([&] { return !program->windows.loaded(ui::WindowId::Editor); }));
    EXPECT_TRUE(program->main->IsShown());
    EXPECT_TRUE(dialogs().asked.empty()) << "the close box asks nothing";

    // Build, Edit again: a new editor, fresh.
    program->chooseMenu("Build", "Edit");
    auto* again = program->window<ui::macroEditorFrame>(ui::WindowId::Editor);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(ui::fromWx(control<wxTextCtrl>(again, "txtEdit")->GetValue()), "");
    EXPECT_EQ(ui::fromWx(again->GetTitle()), "Tervel's Keyloom");
}

}  // namespace
}  // namespace keyloom::test
