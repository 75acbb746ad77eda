// The key-string notation of SendText: plain characters type themselves,
// "+" "^" "%" hold Shift, Ctrl or Alt for the next key or a parenthesised
// group, "~" is Enter, and braces hold literal specials, key names and
// repeat counts ("{+}", "{LEFT 42}", "{h 10}").
#pragma once

#include <cstddef>
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

// The most a brace may repeat its key, and the most keystrokes one text may
// make: a typing slip must not make the program type for hours.
inline constexpr std::size_t kMaxRepeat = 10000;
inline constexpr std::size_t kMaxStrokes = 1000000;

// Parses UTF-8 text in the notation. Letters and digits under a modifier
// become taps of their key (vk = the upper-case character), so "^a" is Ctrl+A
// and "+a" is Shift+A; every other character is typed as itself.
KeyStringResult parseKeyString(std::string_view text);

// The first character of UTF-8 text (U+FFFD for a malformed sequence).
char32_t decodeFirstCharacter(std::string_view text);

}  // namespace keyloom
