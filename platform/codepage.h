// Text of macro files: UTF-8 inside the program; files written by other
// systems may hold the legacy 8-bit code page of the platform.
#pragma once

#include <string>
#include <string_view>

namespace keyloom::platform {

bool isValidUtf8(std::string_view bytes);
// Converts text in the platform's legacy 8-bit code page (Windows-1252 on
// Linux, the ANSI code page on Windows) to UTF-8. Every byte gives a character.
std::string legacyToUtf8(std::string_view bytes);

}  // namespace keyloom::platform
