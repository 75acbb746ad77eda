// The key-string notation of SendText: plain characters type themselves,
// "+" "^" "%" hold Shift, Ctrl or Alt for the next key or a parenthesised
// group, "~" is Enter, and braces hold literal specials and key names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace keyloom {

struct KeyStringResult {
    std::vector<platform::KeyStroke> strokes;
    // Empty when the string is valid; otherwise the message naming the problem.
    std::string error;
};

KeyStringResult parseKeyString(std::string_view text);

// The first character of UTF-8 text (U+FFFD for a malformed sequence).
char32_t decodeFirstCharacter(std::string_view text);

}  // namespace keyloom
