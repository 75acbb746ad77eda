// The editor window's handlers, apart from the toolkit: the command palette,
// the Edit menu with the clipboard, the File menu with its recent files, and
// the caption. The window (macroEditorFrame) owns its controls behind
// macroEditorView and calls these handlers from its events, so they run
// against the fake platform in tests.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/globalVariables.h"
#include "engine/macroList.h"
#include "files/fileRoutine.h"
#include "platform/platform.h"

namespace keyloom::ui {

// The controls of the editor window.
class macroEditorView {
public:
    virtual ~macroEditorView() = default;

    // txtEdit, its lines separated by "\n".
    virtual std::string text() const = 0;
    virtual void setText(const std::string& text) = 0;
    // Adds `text` at the end, wherever the caret is; the caret stays.
    virtual void appendText(const std::string& text) = 0;
    virtual std::string selectedText() const = 0;
    // Replaces the selection, or inserts at the caret when there is none.
    virtual void replaceSelection(const std::string& text) = 0;

    virtual void setCaption(const std::string& caption) = 0;
    // Cu&t and C&opy.
    virtual void enableCutCopy(bool enabled) = 0;
    // The recent-files section of the File menu: its separator, and one more
    // entry at its end.
    virtual void showRecentSeparator() = 0;
    virtual void addRecentItem(const std::string& fileName) = 0;

    // Closes the window; Form_Unload follows.
    virtual void unloadWindow() = 0;
};

// Menu indices.
enum EditItem { kCut = 0, kCopy = 1, kPaste = 2 };
enum FileItem { kNew = 0, kOpen = 1, kSaveAs = 2, kClose = 3, kExit = 5 };

class macroEditor final : public fileRoutine::EditorFile {
public:
    macroEditor(macroEditorView& view, platform::Toolkit toolkit, RunState& state,
                const MacroList& mainList);

    void List1_DblClick(int index);
    void mnuEdit_Click();
    void mnuEditItem_Click(int index);
    void mnuFileItem_Click(int index);
    // `index` counts the section's entries from 1; 0 is its separator.
    void mnuFileArray_Click(int index);

    // CMDialog1 as a Save As dialog with filter B, the tkl files preselected;
    // nothing when cancelled. The recorder saves through it too.
    std::optional<std::string> saveAsDialog();

    // fileRoutine::EditorFile.
    std::string caption() const override { return caption_; }
    void setCaption(const std::string& caption) override;
    void setText(const std::string& text) override { view_.setText(text); }
    void addRecentFile(const std::string& fileName) override;

    const std::vector<std::string>& recentFiles() const { return recent_; }

private:
    void saveText(int saveMode, bool thenClose);

    macroEditorView& view_;
    platform::Toolkit toolkit_;
    RunState& state_;
    const MacroList& mainList_;
    std::string caption_;
    std::vector<std::string> recent_;
};

// The line a double click on palette entry `index` appends: the keyword, " >"
// for the commands that take an argument, and the line break. Empty for an
// index outside the palette.
std::string paletteLine(int index);

}  // namespace keyloom::ui
