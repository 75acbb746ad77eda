// Text made of characters no usual keyboard map has (accented Latin, Greek,
// Cyrillic, CJK, emoji), many more different ones than there are spare
// keycodes, in a fixed pseudo-random order: for typing tests, long runs to
// stop and benchmarks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/codepage.h"

namespace keyloom::test {

// `count` characters drawn from about 200 different ones, in UTF-8.
inline std::string mixedOffMapText(std::size_t count) {
    // Ranges of characters off the US and German maps (ä ö ü ß, on the
    // German one, are left out).
    struct Range {
        char32_t first;
        char32_t size;
    };
    constexpr Range kRanges[] = {
        {U'\u00C0', 4},   // À Á Â Ã
        {U'\u00E8', 4},   // è é ê ë
        {U'\u0100', 24},  // Ā ... ė
        {U'\u03B1', 24},  // α ... ω
        {U'\u0416', 32},  // Ж ... ж
        {U'\u4E00', 48},  // CJK
        {U'\uAC00', 16},  // Hangul
        {U'\u2190', 8},   // arrows
        {U'\U0001F600', 32},  // emoji
    };
    char32_t pool[200] = {};
    std::size_t n = 0;
    for (const Range& r : kRanges)
        for (char32_t c = r.first; c < r.first + r.size && n < 200; ++c) pool[n++] = c;
    std::string out;
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < count; ++i) {
        state = state * 1103515245U + 12345U;
        platform::appendUtf8(out, pool[(state >> 16) % n]);
    }
    return out;
}

}  // namespace keyloom::test
