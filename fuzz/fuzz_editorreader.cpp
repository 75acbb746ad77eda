// The editor reader and writer: any file bytes give a valid UTF-8 text whose
// lines are separated by "\n" only; that text saved and read again comes back
// with one more line break at its end, as a text saved from the editor does.
#include <cstdint>
#include <string>

#include "files/fileRoutine.h"
#include "platform/codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text =
        keyloom::fileRoutine::editorTextOf(std::string(reinterpret_cast<const char*>(data), size));
    if (!keyloom::platform::isValidUtf8(text)) __builtin_trap();
    if (text.find('\r') != std::string::npos) __builtin_trap();
    const std::string bytes = keyloom::fileRoutine::textFileBytes(text);
    if (bytes.size() < 2 || bytes.compare(bytes.size() - 2, 2, "\r\n") != 0) __builtin_trap();
    // A text that begins with a byte order mark loses it when read again.
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) return 0;
    if (keyloom::fileRoutine::editorTextOf(bytes) != text + "\n") __builtin_trap();
    return 0;
}
