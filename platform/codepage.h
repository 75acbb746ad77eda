// Text of macro files: UTF-8 inside the program; files written by other
// systems may hold the legacy 8-bit code page of the platform.
#pragma once

#include <string>
#include <string_view>

namespace keyloom::platform {

bool isValidUtf8(std::string_view bytes);

// Appends the UTF-8 form of the character `c`.
inline void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}
// Converts text in the platform's legacy 8-bit code page (Windows-1252 on
// Linux, the ANSI code page on Windows) to UTF-8. Every byte gives a character.
std::string legacyToUtf8(std::string_view bytes);

}  // namespace keyloom::platform
