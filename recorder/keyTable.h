// The keys the keyboard poll looks at, in polling order, and the macro line
// each one writes while it is down.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/vocabulary.h"

namespace keyloom::recorder {

struct KeyRow {
    std::uint8_t vk;        // virtual-key code
    std::string_view word;  // the command word of the line
    char text = 0;          // the character a SendText line types, or 0

    // The line written while the key is down.
    std::string line() const {
        return text == 0 ? std::string(word) : vocabulary::withValue(word, {&text, 1});
    }
};

// Shift, Ctrl and Alt come before the letters and digits, so keys held
// together are written modifier first. Letters are written in lower case
// whatever Shift or Caps Lock say; the keypad digits write the same lines as
// the main block, the keypad separator writes Enter's and Print writes Print
// Screen's.
inline const auto kKeyTable = [] {
    std::array<KeyRow, 87> rows{};
    std::size_t n = 0;
    // A key that writes the word pressing `as`.
    auto key = [&](std::uint8_t vk, std::uint8_t as) {
        rows.at(n++) = {vk, vocabulary::pressWordOf(as)};
    };
    auto typed = [&](std::uint8_t vk, char text) {
        rows.at(n++) = {vk, vocabulary::wordOf(focusNkey::sendText), text};
    };
    for (std::uint8_t vk : {vk::kSnapshot, vk::kMenu, vk::kBack, vk::kTab, vk::kReturn, vk::kShift,
                            vk::kControl, vk::kPause, vk::kCapital, vk::kEscape, vk::kSpace,
                            vk::kPrior, vk::kNext, vk::kEnd, vk::kHome, vk::kLeft, vk::kUp,
                            vk::kRight, vk::kDown})
        key(vk, vk);
    key(vk::kPrint, vk::kSnapshot);
    key(vk::kInsert, vk::kInsert);
    key(vk::kDelete, vk::kDelete);
    key(vk::kNumLock, vk::kNumLock);
    for (int i = 0; i < 26; ++i) typed(static_cast<std::uint8_t>('A' + i), static_cast<char>('a' + i));
    for (int i = 0; i < 10; ++i) typed(static_cast<std::uint8_t>('0' + i), static_cast<char>('0' + i));
    for (int i = 0; i < 10; ++i)
        typed(static_cast<std::uint8_t>(vk::kNumpad0 + i), static_cast<char>('0' + i));
    typed(vk::kMultiply, '*');
    typed(vk::kAdd, '+');
    key(vk::kSeparator, vk::kReturn);
    typed(vk::kSubtract, '-');
    typed(vk::kDecimal, '.');
    typed(vk::kDivide, '/');
    for (int i = 0; i < 12; ++i) {
        const auto f = static_cast<std::uint8_t>(vk::kF1 + i);
        key(f, f);
    }
    if (n != rows.size()) throw "every row of the table is filled";
    return rows;
}();

}  // namespace keyloom::recorder
