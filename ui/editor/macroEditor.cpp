#include "ui/editor/macroEditor.h"

#include <algorithm>

#include "engine/engine.h"
#include "ui/main/commandWords.h"

namespace keyloom::ui {

std::string paletteLine(int index) {
    if (index < 0 || index >= static_cast<int>(kCommandWords.size())) return {};
    std::string line(kCommandWords[static_cast<std::size_t>(index)]);
    if (index < kFirstBareCommand) line += " >";
    return line + "\n";
}

macroEditor::macroEditor(macroEditorView& view, platform::Toolkit toolkit, RunState& state,
                         const MacroList& mainList)
    : view_(view), toolkit_(toolkit), state_(state), mainList_(mainList), caption_(kAppTitle) {}

void macroEditor::List1_DblClick(int index) {
    // Always at the end of the whole text: a last line without a line break
    // goes on with the keyword.
    std::string line = paletteLine(index);
    if (!line.empty()) view_.appendText(line);
}

void macroEditor::mnuEdit_Click() { view_.enableCutCopy(!view_.selectedText().empty()); }

void macroEditor::mnuEditItem_Click(int index) {
    switch (index) {
    case kCut:
        toolkit_.dialogs.setClipboardText(view_.selectedText());
        view_.replaceSelection("");
        break;
    case kCopy:
        toolkit_.dialogs.setClipboardText(view_.selectedText());
        break;
    case kPaste:
        view_.replaceSelection(toolkit_.dialogs.clipboardText().value_or(""));
        break;
    default: break;
    }
}

void macroEditor::mnuFileItem_Click(int index) {
    switch (index) {
    case kNew:
        view_.setText("");
        setCaption(std::string(fileRoutine::kCaptionPrefix) + "Untitled");
        break;
    case kOpen: {
        auto path =
            toolkit_.dialogs.fileDialog(platform::DialogKind::Open, fileRoutine::kFilterC, 2);
        if (path && !path->empty()) fileRoutine::openEditorFile(*path, *this, toolkit_);
        break;
    }
    case kSaveAs: saveText(1, false); break;
    case kClose: saveText(0, true); break;
    case kExit: view_.unloadWindow(); break;
    default: break;  // the separator
    }
}

void macroEditor::saveText(int saveMode, bool thenClose) {
    auto path = saveAsDialog();
    if (!path) return;  // a cancel ends the command; the window stays open
    fileRoutine::Context context{toolkit_, state_, mainList_};
    // A failed save has shown its message; "&Close" then keeps the window
    // and its text, for the user to save elsewhere.
    if (fileRoutine::saveEditorText(*path, saveMode, view_.text(), context) ==
            fileRoutine::SaveResult::Written &&
        thenClose)
        view_.unloadWindow();
}

void macroEditor::mnuFileArray_Click(int index) {
    if (index < 1 || index > static_cast<int>(recent_.size())) return;
    // A copy: the routine adds to the list it came from.
    const std::string fileName = recent_[static_cast<std::size_t>(index - 1)];
    fileRoutine::openEditorFile(fileName, *this, toolkit_);
}

std::optional<std::string> macroEditor::saveAsDialog() {
    auto path = toolkit_.dialogs.fileDialog(platform::DialogKind::SaveAs, fileRoutine::kFilterB, 2);
    if (path && path->empty()) return std::nullopt;
    return path;
}

void macroEditor::setCaption(const std::string& caption) {
    caption_ = caption;
    view_.setCaption(caption);
}

void macroEditor::addRecentFile(const std::string& fileName) {
    view_.showRecentSeparator();
    if (std::find(recent_.begin(), recent_.end(), fileName) != recent_.end()) return;
    recent_.push_back(fileName);
    view_.addRecentItem(fileName);
}

}  // namespace keyloom::ui
