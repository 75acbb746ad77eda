#include "files/fileRoutine.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "engine/engine.h"
#include "files/atomicFile.h"

namespace keyloom::fileRoutine {
namespace {

using platform::MessageAnswer;
using platform::MessageStyle;

bool overwriteRefused(const std::string& fileName, platform::Toolkit toolkit) {
    if (files::pathKind(fileName) != files::PathKind::RegularFile) return false;
    return toolkit.dialogs.messageBox(kOverwriteQuestion, kAppTitle, MessageStyle::YesNoQuestion) !=
           MessageAnswer::Yes;
}

SaveResult writeOrComplain(const std::string& fileName, std::string_view bytes,
                           platform::Toolkit toolkit) {
    if (files::replaceFile(fileName, bytes)) return SaveResult::Written;
    toolkit.dialogs.messageBox(kSaveError, kAppTitle, MessageStyle::OkExclamation);
    return SaveResult::Failed;
}

void setLastIndex(Context& context) { context.state.lastIndex = context.mainList.count(); }

void warnOfNonText(const std::string& fileName, std::size_t line, platform::Toolkit toolkit) {
    if (line != 0)
        toolkit.dialogs.messageBox(nonTextMessage(fileName, line), kAppTitle,
                                   MessageStyle::OkExclamation);
}

}  // namespace

std::string readErrorMessage(const std::string& fileName, const std::string& reason) {
    return "Cannot read \"" + fileName + "\": " + reason + ".";
}

std::string nonTextMessage(const std::string& fileName, std::size_t line) {
    return "Line " + std::to_string(line) + " of \"" + fileName +
           "\" holds control bytes, which no macro has: the file may not be a macro file. "
           "It was read as it is.";
}

std::string textFileBytes(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16 + 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            bytes += "\r\n";
        } else if (c == '\n') {
            bytes += "\r\n";
        } else {
            bytes += c;
        }
    }
    bytes += "\r\n";
    return bytes;
}

std::string editorTextOf(std::string bytes) {
    std::string text = decodeFileText(std::move(bytes));
    std::size_t write = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            text[write++] = '\n';
        } else {
            text[write++] = text[i];
        }
    }
    text.resize(write);
    return text;
}

std::string listFileBytes(const MacroList& entries) {
    std::string bytes;
    for (Index i = 0; i < entries.count(); ++i) {
        bytes += entries.entry(i);
        bytes += "\r\n";
    }
    return bytes;
}

std::optional<LineList> loadList(const std::string& fileName, platform::Toolkit toolkit,
                                 const std::function<bool(double)>& stillWanted) {
    // The reading thread owns its share of this; a read given up (a pipe
    // that nobody writes, say) ends in its own time.
    struct Reading {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        std::optional<LineList> entries;
        std::string error;
        std::size_t nonText = 0;
    };
    auto reading = std::make_shared<Reading>();
    std::thread([reading, fileName] {
        std::string error;
        std::size_t nonText = 0;
        auto entries = readListFile(fileName, &error, &nonText);
        std::lock_guard lock(reading->mutex);
        reading->entries = std::move(entries);
        reading->error = std::move(error);
        reading->nonText = nonText;
        reading->done = true;
        reading->finished.notify_all();
    }).detach();
    auto done = [&reading] {
        std::lock_guard lock(reading->mutex);
        return reading->done;
    };
    {
        std::unique_lock lock(reading->mutex);
        reading->finished.wait_for(lock, std::chrono::milliseconds(100), [&] { return reading->done; });
    }
    const double start = toolkit.events.now();
    while (!done()) {
        toolkit.events.waitUntil(toolkit.events.now() + 0.05);
        if (stillWanted && !stillWanted(toolkit.events.now() - start)) return std::nullopt;
    }
    // Done: the thread touches nothing more.
    if (!reading->entries)
        toolkit.dialogs.messageBox(readErrorMessage(fileName, reading->error), kAppTitle,
                                   MessageStyle::OkExclamation);
    else
        warnOfNonText(fileName, reading->nonText, toolkit);
    return std::move(reading->entries);
}

SaveResult saveList(const std::string& fileName, const MacroList& entries,
                    platform::Toolkit toolkit) {
    if (overwriteRefused(fileName, toolkit)) return SaveResult::Declined;
    return writeOrComplain(fileName, listFileBytes(entries), toolkit);
}

SaveResult saveEditorText(const std::string& fileName, int saveMode, std::string_view text,
                          Context& context) {
    if (saveMode == 1 && overwriteRefused(fileName, context.toolkit)) return SaveResult::Declined;
    SaveResult result = writeOrComplain(fileName, textFileBytes(text), context.toolkit);
    if (result == SaveResult::Written) setLastIndex(context);
    return result;
}

void openEditorFile(const std::string& fileName, EditorFile& editor, platform::Toolkit toolkit) {
    const std::string caption = kCaptionPrefix + fileName;
    if (editor.caption() == caption) return;
    std::string error;
    auto bytes = readFileBytes(fileName, &error);
    if (!bytes) {
        toolkit.dialogs.messageBox(readErrorMessage(fileName, error), kAppTitle,
                                   MessageStyle::OkExclamation);
        return;
    }
    std::string text = editorTextOf(std::move(*bytes));
    editor.setText(text);
    editor.addRecentFile(fileName);
    editor.setCaption(caption);
    warnOfNonText(fileName, firstNonTextLine(text), toolkit);
}

// The recorder's save is a save like the others: losing a recording to a
// silent failure, or another file to a silent overwrite, is no option.
SaveResult saveRecording(const std::string& fileName, std::string_view text, Context& context) {
    return saveEditorText(fileName, 1, text, context);
}

}  // namespace keyloom::fileRoutine
