// The keys the keyboard poll looks at, in polling order, and the macro line
// each one writes while it is down.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace keyloom::recorder {

struct KeyRow {
    std::uint8_t vk;  // virtual-key code
    std::string_view line;
};

// Shift, Ctrl and Alt come before the letters and digits, so keys held
// together are written modifier first. Letters are written in lower case
// whatever Shift or Caps Lock say; the keypad digits write the same lines as
// the main block.
inline constexpr std::array<KeyRow, 87> kKeyTable{{
    {0x2C, "Press_PrintScreen"},
    {0x12, "Press_ALT"},
    {0x08, "Press_BackSpace"},
    {0x09, "Press_Tab"},
    {0x0D, "Press_Enter"},
    {0x10, "Press_Shift"},
    {0x11, "Press_CTRL"},
    {0x13, "Press_Pause"},
    {0x14, "Press_Caps"},
    {0x1B, "Press_ESC"},
    {0x20, "Press_Space"},
    {0x21, "Press_PageUp"},
    {0x22, "Press_PageDown"},
    {0x23, "Press_End"},
    {0x24, "Press_Home"},
    {0x25, "Press_Left"},
    {0x26, "Press_Up"},
    {0x27, "Press_Right"},
    {0x28, "Press_Down"},
    {0x2A, "Press_PrintScreen"},
    {0x2D, "Press_Ins"},
    {0x2E, "Press_Del"},
    {0x90, "Press_NumLock"},
    {0x41, "SendText >a"}, {0x42, "SendText >b"}, {0x43, "SendText >c"}, {0x44, "SendText >d"},
    {0x45, "SendText >e"}, {0x46, "SendText >f"}, {0x47, "SendText >g"}, {0x48, "SendText >h"},
    {0x49, "SendText >i"}, {0x4A, "SendText >j"}, {0x4B, "SendText >k"}, {0x4C, "SendText >l"},
    {0x4D, "SendText >m"}, {0x4E, "SendText >n"}, {0x4F, "SendText >o"}, {0x50, "SendText >p"},
    {0x51, "SendText >q"}, {0x52, "SendText >r"}, {0x53, "SendText >s"}, {0x54, "SendText >t"},
    {0x55, "SendText >u"}, {0x56, "SendText >v"}, {0x57, "SendText >w"}, {0x58, "SendText >x"},
    {0x59, "SendText >y"}, {0x5A, "SendText >z"},
    {0x30, "SendText >0"}, {0x31, "SendText >1"}, {0x32, "SendText >2"}, {0x33, "SendText >3"},
    {0x34, "SendText >4"}, {0x35, "SendText >5"}, {0x36, "SendText >6"}, {0x37, "SendText >7"},
    {0x38, "SendText >8"}, {0x39, "SendText >9"},
    {0x60, "SendText >0"}, {0x61, "SendText >1"}, {0x62, "SendText >2"}, {0x63, "SendText >3"},
    {0x64, "SendText >4"}, {0x65, "SendText >5"}, {0x66, "SendText >6"}, {0x67, "SendText >7"},
    {0x68, "SendText >8"}, {0x69, "SendText >9"},
    {0x6A, "SendText >*"},
    {0x6B, "SendText >+"},
    {0x6C, "Press_Enter"},
    {0x6D, "SendText >-"},
    {0x6E, "SendText >."},
    {0x6F, "SendText >/"},
    {0x70, "Press_F1"}, {0x71, "Press_F2"}, {0x72, "Press_F3"}, {0x73, "Press_F4"},
    {0x74, "Press_F5"}, {0x75, "Press_F6"}, {0x76, "Press_F7"}, {0x77, "Press_F8"},
    {0x78, "Press_F9"}, {0x79, "Press_F10"}, {0x7A, "Press_F11"}, {0x7B, "Press_F12"},
}};

}  // namespace keyloom::recorder
