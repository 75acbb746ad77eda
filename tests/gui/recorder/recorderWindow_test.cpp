// The recorder window on the screen: opened from the main window's Build
// menu, recording keys, moves and clicks given through XTest (the probe
// window takes them), saved through the editor's file dialog and loaded into
// the main window; File, New and its close box.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <sstream>

#include "support/probeProcess.h"
#include "tests/gui/guiProgram.h"
#include "tests/gui/windowManager.h"
#include "ui/editor/macroEditorFrame.h"
#include "ui/recorder/mRecordFrame.h"

namespace keyloom::test {
namespace {

using Strings = std::vector<std::string>;

class RecorderWindow : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (HasFatalFailure()) return;
        program->chooseMenu("Build", "Record");
        recorder = program->window<ui::mRecordFrame>(ui::WindowId::Recorder);
        ASSERT_NE(recorder, nullptr);
        ASSERT_TRUE(pumpUntil([&] { return recorder->IsShownOnScreen(); }));
        Text1 = control<wxTextCtrl>(recorder, "Text1");
        Command1 = control<wxButton>(recorder, "Command1");
        ASSERT_NE(Text1, nullptr);
        ASSERT_NE(Command1, nullptr);
    }

    std::string text() const { return ui::fromWx(Text1->GetValue()); }
    Strings lines() const {
        Strings lines;
        std::istringstream in(text());
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    long count(const std::string& line) const { return std::ranges::count(lines(), line); }
    // Waits until the recording holds one more `line` than it did.
    ::testing::AssertionResult recorded(const std::string& line, long before) {
        if (pumpUntil([&] { return count(line) > before; })) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "no new \"" << line << "\" in:\n" << text();
    }
    void pressButton() {
        wxCommandEvent click(wxEVT_BUTTON, Command1->GetId());
        click.SetEventObject(Command1);
        Command1->GetEventHandler()->ProcessEvent(click);
    }
    std::string moveLine(int px, int py) const {
        return "MouseMove >" + std::to_string(px) + "," + std::to_string(py);
    }

    ui::mRecordFrame* recorder = nullptr;
    wxTextCtrl* Text1 = nullptr;
    wxButton* Command1 = nullptr;
};

TEST_F(RecorderWindow, RecordsSavesLoadsAndCloses) {
    ProbeProcess probe("keyloom recorder probe", {"--geometry", "300x200+900+760"});
    ASSERT_TRUE(probe.start()) << probe.error();
    const int px = probe.centerX(), py = probe.centerY();
    input.moveTo(px, py);

    EXPECT_EQ(ui::fromWx(recorder->GetTitle()), "DorEdezezoz");
    pressButton();
    EXPECT_EQ(ui::fromWx(Command1->GetLabel()), "End Recording");

    // The cursor where it rests, then a click into the probe (which takes the
    // focus), a held key, Shift with a letter, a click too short for any
    // sample but caught all the same.
    ASSERT_TRUE(recorded(moveLine(px, py), 0));
    ASSERT_TRUE(recorded("LUp", 0));
    input.button(1, true);
    ASSERT_TRUE(recorded("LDown", 0));
    input.button(1, false);
    ASSERT_TRUE(recorded("LUp", 1));
    input.key(XK_h, true);
    ASSERT_TRUE(recorded("SendText >h", 0));
    input.key(XK_h, false);
    input.key(XK_Shift_L, true);
    ASSERT_TRUE(recorded("Press_Shift", 0));
    input.key(XK_a, true);
    ASSERT_TRUE(recorded("SendText >a", 0));
    input.key(XK_a, false);
    input.key(XK_Shift_L, false);
    input.moveTo(px + 40, py + 30);
    ASSERT_TRUE(recorded(moveLine(px + 40, py + 30), 0));
    const long downs = count("LDown"), ups = count("LUp");
    input.click(1);
    ASSERT_TRUE(recorded("LDown", downs));
    ASSERT_TRUE(recorded("LUp", ups));
    // With the buttons swapped the physical right button is the primary one.
    swapButtons(x.get(), true);
    input.button(3, true);
    ASSERT_TRUE(recorded("LDown", downs + 1));
    input.button(3, false);
    ASSERT_TRUE(recorded("LUp", ups + 1));
    EXPECT_TRUE(buttonsSwapped(x.get())) << "sampling leaves the swap as it is";
    pressButton();
    EXPECT_EQ(ui::fromWx(Command1->GetLabel()), "Begin Recording");

    // Each line was waited for before the next input: nothing else came.
    const Strings recording = lines();
    for (const std::string& line : recording)
        EXPECT_TRUE(line.rfind("MouseMove >", 0) == 0 || line == "LUp" || line == "LDown" ||
                    line == "SendText >h" || line == "SendText >a" || line == "Press_Shift")
            << line;

    // Saved through the editor's dialog: the editor is loaded, not shown.
    const std::string file = folder.str("recording.tkl");
    dialogs().paths.push_back(file);
    GuiProgram::choose(recorder, "File", "Save");
    std::string expected;
    for (const std::string& line : recording) expected += line + "\r\n";
    EXPECT_EQ(readFile(file), expected + "\r\n");
    auto* editor = program->window<ui::macroEditorFrame>(ui::WindowId::Editor);
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(editor->IsShown());  // its dialog's filters are editorWindow_test's

    // Loaded into the main window. (Such entries played into a window are
    // tests/x11/desktop's contract_test: its moves, clicks and keys.)
    dialogs().paths.push_back(file);
    program->chooseMenu("File", "Load");
    EXPECT_EQ(program->main->handlers().macroList().count(), static_cast<Index>(recording.size()));

    // File, New empties the text (that a recording goes on is mRecord_test's);
    // the close box closes the recorder only.
    GuiProgram::choose(recorder, "File", "New");
    EXPECT_EQ(text(), "");
    ASSERT_TRUE(pumpUntil([&] { return managed(x.get(), recorder); }));
    pressCloseBox(x.get(), recorder);
    ASSERT_TRUE(pumpUntil([&] { return !program->windows.loaded(ui::WindowId::Recorder); }));
    EXPECT_TRUE(program->main->IsShown());
}

}  // namespace
}  // namespace keyloom::test
