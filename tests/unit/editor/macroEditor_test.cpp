// The editor's handlers against the fake toolkit and real files: the
// palette, the Edit menu and clipboard, the File menu, recent files, caption.
#include "ui/editor/macroEditor.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/fake/fakePlatform.h"
#include "support/fileBytes.h"
#include "support/tempDir.h"
#include "tests/unit/editor/fakeEditorView.h"

namespace keyloom::ui {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

using test::readFile;
using test::writeFile;

struct Editor : ::testing::Test {
    platform::FakePlatform fake;
    RunState state;
    VectorList mainList{{"Press_Tab", "Press_Enter", "LClick"}};
    test::FakeEditorView view;
    macroEditor editor{view, fake, state, mainList};
    test::TempDir dir;

    void SetUp() override { fake.logToolkit = true; }

    void open(const std::string& fileName) {
        fake.dialogPaths.push_back(fileName);
        editor.mnuFileItem_Click(kOpen);
    }
};

TEST(Palette, ArgumentCommandsGetTheSeparatorAndEveryLineItsBreak) {
    struct Case {
        int index;
        std::string line;
    } cases[] = {
        {0, "RunProgram >\n"}, {3, "Wait >\n"},         {5, "SendText >\n"},
        {7, "Repeat >\n"},     {8, "End_Repeat\n"},     {11, "Press_Enter\n"},
        {44, "Press_PrintScreen\n"}, {59, "Loop\n"},    {-1, ""},
        {60, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(paletteLine(c.index), c.line) << c.index;
}

TEST_F(Editor, PaletteLinesGoAtTheEndWhereverTheCaretIs) {
    view.setText("abc");
    view.select(1, 2);
    editor.List1_DblClick(5);  // SendText continues the unbroken last line
    EXPECT_EQ(view.textValue, "abcSendText >\n");
    EXPECT_EQ(view.selectedText(), "b") << "the selection is left alone";
}

// The Edit menu, one step after another on one text: opening it enables Cut
// and Copy on a selection only; a paste replaces the selection; a copy of
// nothing (a shortcut while the items are still enabled) empties the
// clipboard, and a paste of nothing removes the selection.
TEST_F(Editor, EditMenuGoesThroughTheClipboard) {
    const int menuOpens = -1;
    struct Step {
        std::size_t from, to;
        int item;
        std::string text;
        std::optional<std::string> clipboard;
    };
    const std::vector<Step> steps = {
        {0, 0, menuOpens, "LClick\nLoop\n", std::nullopt},
        {0, 1, menuOpens, "LClick\nLoop\n", std::nullopt},
        {0, 6, kCopy, "LClick\nLoop\n", "LClick"},
        {7, 11, kCut, "LClick\n\n", "Loop"},
        {0, 0, kPaste, "LoopLClick\n\n", "Loop"},
        {0, 0, kCopy, "LoopLClick\n\n", ""},
        {0, 4, kPaste, "LClick\n\n", ""},
    };
    view.setText("LClick\nLoop\n");
    for (const Step& step : steps) {
        SCOPED_TRACE(std::to_string(&step - steps.data()));
        view.select(step.from, step.to);
        if (step.item == menuOpens) {
            editor.mnuEdit_Click();
            EXPECT_EQ(view.cutCopyEnabled, step.to > step.from);
        } else {
            editor.mnuEditItem_Click(step.item);
        }
        EXPECT_EQ(view.textValue, step.text);
        EXPECT_EQ(fake.clipboard, step.clipboard);
    }
    fake.clipboard.reset();  // the clipboard holds no text
    view.select(0, 1);
    editor.mnuEditItem_Click(kPaste);
    EXPECT_EQ(view.textValue, "Click\n\n");
}

TEST_F(Editor, CaptionPassesFromTheTitleToUntitledOrAPath) {
    EXPECT_EQ(editor.caption(), "Tervel's Keyloom");
    view.setText("something");
    editor.mnuFileItem_Click(kNew);
    EXPECT_EQ(view.textValue, "");
    EXPECT_EQ(view.captionValue, "Tervel's Keyloom: Untitled");

    // Blanks kept, line breaks as the text box has them, a legacy code page decoded.
    writeFile(dir.str("m.tkl"), "  x\r\n\r\n\xE9\nend");
    open(dir.str("m.tkl"));
    EXPECT_EQ(fake.log.front(),
              "open-dialog 2 Text Files (*.txt)|*.txt|Tervel Files (*.tkl)|*.tkl|");
    EXPECT_EQ(view.captionValue, "Tervel's Keyloom: " + dir.str("m.tkl"));
    EXPECT_EQ(view.textValue, "  x\n\n\xC3\xA9\nend");
    editor.mnuFileItem_Click(kNew);
    EXPECT_EQ(view.captionValue, "Tervel's Keyloom: Untitled");
    EXPECT_EQ(view.recentItems, Strings{dir.str("m.tkl")}) << "New keeps the recent files";
}

TEST_F(Editor, RecentFilesGrowByOneEntryPerNewPath) {
    writeFile(dir.str("a.tkl"), "Press_F1\r\n");
    writeFile(dir.str("b.tkl"), "Press_F2\r\n");
    EXPECT_FALSE(view.separatorShown) << "hidden until the first file is opened";
    open(dir.str("a.tkl"));
    EXPECT_TRUE(view.separatorShown);
    open(dir.str("b.tkl"));

    writeFile(dir.str("a.tkl"), "Press_F3\r\n");
    editor.mnuFileArray_Click(1);  // re-read, no new entry
    EXPECT_EQ(view.textValue, "Press_F3\n");
    EXPECT_EQ(view.recentItems, (Strings{dir.str("a.tkl"), dir.str("b.tkl")}));

    writeFile(dir.str("a.tkl"), "Press_F4\r\n");
    editor.mnuFileArray_Click(1);  // the caption names it: nothing at all
    EXPECT_EQ(view.textValue, "Press_F3\n");
    editor.mnuFileArray_Click(3);  // no such entry
    editor.mnuFileArray_Click(0);
    EXPECT_EQ(view.textValue, "Press_F3\n");
}

// The File menu as answered: Save As asks before it overwrites, Close does
// not and closes once the save worked; a cancelled dialog, and a file that
// cannot be read (it says so), change nothing; no save changes the caption.
TEST_F(Editor, FileMenuSavesAndClosesAsAnswered) {
    using platform::MessageAnswer;
    const std::string question = "message Overwrite existing file?";
    const std::string failed = "message Error occurred trying to close file, please retry.";
    const std::string unreadable =
        "message " +
        fileRoutine::readErrorMessage(dir.str("missing.tkl"), "No such file or directory");
    struct Case {
        int item;
        std::string target;  // the dialog's answer; empty: cancelled
        std::optional<MessageAnswer> answer;
        std::string bytes;  // of the target (else of "old.tkl") afterwards
        Index lastIndex;    // 7 before; a save sets the main list's count
        int unloads;
        Strings messages;
    };
    const std::vector<Case> cases = {
        {kSaveAs, "new.tkl", {}, "Loop\r\n", 3, 0, {}},
        {kSaveAs, "old.tkl", MessageAnswer::No, "old", 7, 0, {question}},
        {kClose, "old.tkl", {}, "Loop\r\n", 3, 1, {}},
        {kClose, "no-such-folder/x.tkl", {}, "", 7, 0, {failed}},
        {kClose, "", {}, "old", 7, 0, {}},
        {kOpen, "", {}, "old", 7, 0, {}},
        {kOpen, "missing.tkl", {}, "", 7, 0, {unreadable}},
        {4, "", {}, "old", 7, 0, {}},  // the separator
        {kExit, "", {}, "old", 7, 1, {}},
    };
    fake.logToolkit = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.item) + " " + c.target);
        fs::remove(dir.str("new.tkl"));
        writeFile(dir.str("old.tkl"), "old");
        view.setText("Loop");
        view.unloads = 0;
        state.lastIndex = 7;
        fake.log.clear();
        if (c.answer) fake.answers.push_back(*c.answer);
        if (!c.target.empty()) fake.dialogPaths.push_back(dir.str(c.target.c_str()));
        editor.mnuFileItem_Click(c.item);
        EXPECT_EQ(readFile(dir.str(c.target.empty() ? "old.tkl" : c.target.c_str())), c.bytes);
        EXPECT_EQ(state.lastIndex, c.lastIndex);
        EXPECT_EQ(view.unloads, c.unloads);
        EXPECT_EQ(fake.log, c.messages);
        EXPECT_EQ(view.textValue, "Loop");
        EXPECT_EQ(view.captionValue, "Tervel's Keyloom");
        EXPECT_TRUE(view.recentItems.empty());
    }
}

}  // namespace
}  // namespace keyloom::ui
