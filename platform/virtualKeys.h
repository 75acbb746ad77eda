// Windows virtual-key codes: the key codes of the platform interface, of the
// key commands, of the key names of the text notation and of the recorder.
// Each code is named here once; letters and digits are their upper-case
// characters ('A', '7').
#pragma once

#include <cstdint>

namespace keyloom::vk {

inline constexpr std::uint8_t kLButton = 0x01, kRButton = 0x02, kCancel = 0x03, kMButton = 0x04;
inline constexpr std::uint8_t kBack = 0x08, kTab = 0x09, kClear = 0x0C, kReturn = 0x0D;
inline constexpr std::uint8_t kShift = 0x10, kControl = 0x11, kMenu = 0x12, kPause = 0x13,
                              kCapital = 0x14, kEscape = 0x1B, kSpace = 0x20;
inline constexpr std::uint8_t kPrior = 0x21, kNext = 0x22, kEnd = 0x23, kHome = 0x24,
                              kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28;
inline constexpr std::uint8_t kSelect = 0x29, kPrint = 0x2A, kExecute = 0x2B, kSnapshot = 0x2C,
                              kInsert = 0x2D, kDelete = 0x2E, kHelp = 0x2F;
inline constexpr std::uint8_t kLWin = 0x5B, kRWin = 0x5C, kApps = 0x5D;
// The keypad: digits from kNumpad0 on, then its operators.
inline constexpr std::uint8_t kNumpad0 = 0x60, kMultiply = 0x6A, kAdd = 0x6B, kSeparator = 0x6C,
                              kSubtract = 0x6D, kDecimal = 0x6E, kDivide = 0x6F;
// F1 to F24: kF1 and each next key one more.
inline constexpr std::uint8_t kF1 = 0x70, kF24 = 0x87;
inline constexpr std::uint8_t kNumLock = 0x90, kScroll = 0x91;
inline constexpr std::uint8_t kLShift = 0xA0, kRShift = 0xA1, kLControl = 0xA2, kRControl = 0xA3,
                              kLMenu = 0xA4, kRMenu = 0xA5;
// The punctuation keys of a US keyboard.
inline constexpr std::uint8_t kOem1 = 0xBA, kOemPlus = 0xBB, kOemComma = 0xBC, kOemMinus = 0xBD,
                              kOemPeriod = 0xBE, kOem2 = 0xBF, kOem3 = 0xC0, kOem4 = 0xDB,
                              kOem5 = 0xDC, kOem6 = 0xDD, kOem7 = 0xDE, kOem102 = 0xE2;

}  // namespace keyloom::vk
