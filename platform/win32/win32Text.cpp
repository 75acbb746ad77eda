#include "platform/win32/win32Text.h"

#include <windows.h>

namespace keyloom::platform::win32 {
namespace {

// The size argument of the conversion functions; longer texts go in pieces.
constexpr std::size_t kMaxChunk = 1u << 28;

}  // namespace

std::wstring toWide(std::string_view utf8) {
    std::wstring out;
    while (!utf8.empty()) {
        std::size_t n = utf8.size();
        if (n > kMaxChunk) {
            // Cut before a lead byte so that no sequence is split.
            n = kMaxChunk;
            while (n > 0 && (static_cast<unsigned char>(utf8[n]) & 0xC0) == 0x80) --n;
        }
        int size = static_cast<int>(n);
        int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
        std::size_t at = out.size();
        out.resize(at + static_cast<std::size_t>(wide));
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data() + at, wide);
        utf8.remove_prefix(n);
    }
    return out;
}

std::string toUtf8(std::wstring_view wide) {
    std::string out;
    while (!wide.empty()) {
        std::size_t n = wide.size();
        if (n > kMaxChunk) {
            n = kMaxChunk;
            if (wide[n] >= 0xDC00 && wide[n] <= 0xDFFF) --n;  // keep a surrogate pair whole
        }
        int size = static_cast<int>(n);
        int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
        std::size_t at = out.size();
        out.resize(at + static_cast<std::size_t>(bytes));
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, out.data() + at, bytes, nullptr,
                            nullptr);
        wide.remove_prefix(n);
    }
    return out;
}

std::optional<std::string> toAnsiExactly(std::wstring_view wide) {
    if (wide.empty()) return std::string();
    if (wide.size() > kMaxChunk) return std::nullopt;
    int size = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0,
                                    nullptr, &usedDefault);
    if (bytes <= 0 || usedDefault) return std::nullopt;
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, out.data(), bytes,
                        nullptr, &usedDefault);
    if (usedDefault) return std::nullopt;
    return out;
}

std::wstring fromAnsi(std::string_view bytes) {
    std::wstring out;
    while (!bytes.empty()) {
        // A double-byte ANSI code page could split a character at a chunk
        // boundary; macro files are far below the chunk size.
        std::size_t n = bytes.size() < kMaxChunk ? bytes.size() : kMaxChunk;
        int size = static_cast<int>(n);
        int wide = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
        std::size_t at = out.size();
        out.resize(at + static_cast<std::size_t>(wide));
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, out.data() + at, wide);
        bytes.remove_prefix(n);
    }
    return out;
}

}  // namespace keyloom::platform::win32
