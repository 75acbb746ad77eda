// Macro files on Windows: UTF-8 when the bytes are valid UTF-8, otherwise the
// ANSI code page of the system.
#include "platform/codepage.h"

#include <windows.h>

#include "platform/win32/win32Text.h"

namespace keyloom::platform {

bool isValidUtf8(std::string_view bytes) {
    constexpr std::size_t kChunk = 1u << 28;
    while (!bytes.empty()) {
        std::size_t n = bytes.size();
        if (n > kChunk) {
            // End the piece before a byte that starts a character.
            n = kChunk;
            while (n > 0 && (static_cast<unsigned char>(bytes[n]) & 0xC0) == 0x80) --n;
            if (n == 0) return false;
        }
        if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(n),
                                nullptr, 0) == 0)
            return false;
        bytes.remove_prefix(n);
    }
    return true;
}

std::string legacyToUtf8(std::string_view bytes) {
    return win32::toUtf8(win32::fromAnsi(bytes));
}

}  // namespace keyloom::platform
