#include "platform/codepage.h"

#include <glib.h>

namespace keyloom::platform {
namespace {

// Bytes that Windows-1252 leaves undefined; Windows maps them to the C1
// control characters of the same value, and so do we.
bool isUndefinedIn1252(unsigned char b) {
    return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

void appendConverted(std::string& out, std::string_view run) {
    if (run.empty()) return;
    gsize written = 0;
    gchar* converted = g_convert(run.data(), static_cast<gssize>(run.size()), "UTF-8",
                                 "WINDOWS-1252", nullptr, &written, nullptr);
    if (converted != nullptr) {
        out.append(converted, written);
        g_free(converted);
    }
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
    // NUL is a valid character, but GLib's check stops at it: check the runs
    // between NULs.
    while (!bytes.empty()) {
        std::size_t nul = bytes.find('\0');
        std::string_view run = bytes.substr(0, nul);
        if (!g_utf8_validate(run.data(), static_cast<gssize>(run.size()), nullptr)) return false;
        bytes = nul == std::string_view::npos ? std::string_view{} : bytes.substr(nul + 1);
    }
    return true;
}

std::string legacyToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto b = static_cast<unsigned char>(bytes[i]);
        if (!isUndefinedIn1252(b)) continue;
        appendConverted(out, bytes.substr(start, i - start));
        out += static_cast<char>(0xC2);
        out += static_cast<char>(b);
        start = i + 1;
    }
    appendConverted(out, bytes.substr(start));
    return out;
}

}  // namespace keyloom::platform
