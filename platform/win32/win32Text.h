// Text at the Win32 boundary: the program keeps UTF-8, Windows takes UTF-16
// (the W functions) or the ANSI code page (the A functions).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace keyloom::platform::win32 {

// UTF-8 to UTF-16; malformed sequences become U+FFFD.
std::wstring toWide(std::string_view utf8);
// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string toUtf8(std::wstring_view wide);

// The text in the ANSI code page, or nothing when a character has no exact
// equivalent there (no best-fit substitutes: "ﬁ" is not "fi").
std::optional<std::string> toAnsiExactly(std::wstring_view wide);
// ANSI code page bytes to UTF-16; every byte gives a character.
std::wstring fromAnsi(std::string_view bytes);

}  // namespace keyloom::platform::win32
