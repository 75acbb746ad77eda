// The macro file routines: moving macro text between disk and the main list,
// the editor and the recorder.
//
// Files hold one entry per line, each line ended by CR LF, in UTF-8 (files of
// other systems may be in the legacy code page or in UTF-16 and are read as
// such; a line may also end at a lone CR or LF). Inside the program, editor
// and recorder texts separate their lines with "\n", as the toolkit's text
// boxes do; the routines write each line break as CR LF.
//
// A save never destroys the old file: on any failure the file stays as it
// was, and "Error occurred trying to close file, please retry." is shown.
// A file that cannot be read, or holds bytes that are no text, says so too.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/globalVariables.h"
#include "engine/macroList.h"
#include "files/listReader.h"
#include "platform/platform.h"

namespace keyloom::fileRoutine {

// Dialog filters. The main window's Load uses A (index 1) and its Save B
// (index 2); the editor's Open uses C (index 2), its Save As and Close B
// (index 2); the recorder's save B (index 2).
inline constexpr const char* kFilterA = "Tervel Files (*.tkl)|*.tkl";
inline constexpr const char* kFilterB = "Text Files (*.txt)|*.txt|Tervel Files (*.tkl)|*.tkl";
inline constexpr const char* kFilterC = "Text Files (*.txt)|*.txt|Tervel Files (*.tkl)|*.tkl|";

inline constexpr const char* kOverwriteQuestion = "Overwrite existing file?";
inline constexpr const char* kSaveError = "Error occurred trying to close file, please retry.";
// The messages of reading: the file could not be read (why), or it was read
// but holds bytes that are no text from the line named on.
std::string readErrorMessage(const std::string& fileName, const std::string& reason);
std::string nonTextMessage(const std::string& fileName, std::size_t line);
// The caption of a window that shows a file: this, then the path or "Untitled".
inline constexpr const char* kCaptionPrefix = "Tervel's Keyloom: ";

// What the routines need besides their arguments: the toolkit for questions
// and messages, and the main list with the run state, for the routines that
// end by setting lastIndex to the main list's entry count.
struct Context {
    platform::Toolkit toolkit;
    RunState& state;
    const MacroList& mainList;
};

enum class SaveResult {
    Written,   // the file holds the new text
    Declined,  // the user would not overwrite; nothing was written
    Failed,    // nothing changed on disk (a message was shown where the routine shows one)
};

// The entries of the file for the main list, empty lines dropped; nothing,
// after saying why, when the file cannot be read (the list then stays as it
// is). A file that holds bytes that are no text loads with a warning.
//
// A large file (or a pipe) is read in the background while window events
// run; `stillWanted` is asked at every turn, with the seconds the read has
// taken, and when it answers false the read is given up: nothing, without a
// message.
std::optional<LineList> loadList(const std::string& fileName, platform::Toolkit toolkit,
                                 const std::function<bool(double)>& stillWanted = {});

// Writes every entry of `entries`, each followed by CR LF; asks before
// overwriting an existing file.
SaveResult saveList(const std::string& fileName, const MacroList& entries,
                    platform::Toolkit toolkit);

// Writes the editor's text followed by one more line break. `saveMode` 1
// asks before overwriting an existing file, 0 overwrites without asking.
// Once written, sets lastIndex to the main list's entry count.
SaveResult saveEditorText(const std::string& fileName, int saveMode, std::string_view text,
                          Context& context);

// The editor side of openEditorFile.
class EditorFile {
public:
    virtual ~EditorFile() = default;
    virtual std::string caption() const = 0;
    virtual void setCaption(const std::string& caption) = 0;
    virtual void setText(const std::string& text) = 0;
    virtual void addRecentFile(const std::string& fileName) = 0;
};

// Reads the file into the editor, unless its caption already names this
// file; then the recent files and the caption take the path. A file that
// cannot be read is reported and changes nothing: text, caption and recent
// files stay as they were.
void openEditorFile(const std::string& fileName, EditorFile& editor, platform::Toolkit toolkit);

// Writes the recorder's text followed by one more line break, as the
// editor's Save As does: asks before overwriting and reports a failure.
SaveResult saveRecording(const std::string& fileName, std::string_view text, Context& context);

// The file form of an editor or recorder text: every line break (LF, CR LF
// or a lone CR) written as CR LF, and one more CR LF at the end.
std::string textFileBytes(std::string_view text);
// The editor text of file bytes: decoded, line breaks made "\n".
std::string editorTextOf(std::string bytes);
// The file form of a list: each entry followed by CR LF.
std::string listFileBytes(const MacroList& entries);

}  // namespace keyloom::fileRoutine
