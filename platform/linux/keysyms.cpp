#include "platform/linux/keysyms.h"

#include <xkbcommon/xkbcommon.h>

#include <array>

namespace keyloom::platform {
namespace {

struct VirtualKey {
    std::uint8_t vk;
    std::uint32_t keysym;
};

// Windows virtual-key codes and the keys they name on a US keyboard.
constexpr std::array kVirtualKeys{
    VirtualKey{0x08, XKB_KEY_BackSpace}, VirtualKey{0x09, XKB_KEY_Tab},
    VirtualKey{0x0C, XKB_KEY_Clear},     VirtualKey{0x0D, XKB_KEY_Return},
    VirtualKey{0x10, XKB_KEY_Shift_L},   VirtualKey{0x11, XKB_KEY_Control_L},
    VirtualKey{0x12, XKB_KEY_Alt_L},     VirtualKey{0x13, XKB_KEY_Pause},
    VirtualKey{0x14, XKB_KEY_Caps_Lock}, VirtualKey{0x1B, XKB_KEY_Escape},
    VirtualKey{0x20, XKB_KEY_space},     VirtualKey{0x21, XKB_KEY_Prior},
    VirtualKey{0x22, XKB_KEY_Next},      VirtualKey{0x23, XKB_KEY_End},
    VirtualKey{0x24, XKB_KEY_Home},      VirtualKey{0x25, XKB_KEY_Left},
    VirtualKey{0x26, XKB_KEY_Up},        VirtualKey{0x27, XKB_KEY_Right},
    VirtualKey{0x28, XKB_KEY_Down},      VirtualKey{0x29, XKB_KEY_Select},
    VirtualKey{0x2A, XKB_KEY_Print},     VirtualKey{0x2B, XKB_KEY_Execute},
    VirtualKey{0x2C, XKB_KEY_Print},     VirtualKey{0x2D, XKB_KEY_Insert},
    VirtualKey{0x2E, XKB_KEY_Delete},    VirtualKey{0x2F, XKB_KEY_Help},
    VirtualKey{0x5B, XKB_KEY_Super_L},   VirtualKey{0x5C, XKB_KEY_Super_R},
    VirtualKey{0x5D, XKB_KEY_Menu},      VirtualKey{0x6A, XKB_KEY_KP_Multiply},
    VirtualKey{0x6B, XKB_KEY_KP_Add},    VirtualKey{0x6C, XKB_KEY_KP_Separator},
    VirtualKey{0x6D, XKB_KEY_KP_Subtract}, VirtualKey{0x6E, XKB_KEY_KP_Decimal},
    VirtualKey{0x6F, XKB_KEY_KP_Divide}, VirtualKey{0x90, XKB_KEY_Num_Lock},
    VirtualKey{0x91, XKB_KEY_Scroll_Lock}, VirtualKey{0xA0, XKB_KEY_Shift_L},
    VirtualKey{0xA1, XKB_KEY_Shift_R},   VirtualKey{0xA2, XKB_KEY_Control_L},
    VirtualKey{0xA3, XKB_KEY_Control_R}, VirtualKey{0xA4, XKB_KEY_Alt_L},
    VirtualKey{0xA5, XKB_KEY_Alt_R},     VirtualKey{0xBA, XKB_KEY_semicolon},
    VirtualKey{0xBB, XKB_KEY_equal},     VirtualKey{0xBC, XKB_KEY_comma},
    VirtualKey{0xBD, XKB_KEY_minus},     VirtualKey{0xBE, XKB_KEY_period},
    VirtualKey{0xBF, XKB_KEY_slash},     VirtualKey{0xC0, XKB_KEY_grave},
    VirtualKey{0xDB, XKB_KEY_bracketleft}, VirtualKey{0xDC, XKB_KEY_backslash},
    VirtualKey{0xDD, XKB_KEY_bracketright}, VirtualKey{0xDE, XKB_KEY_apostrophe},
    VirtualKey{0xE2, XKB_KEY_less},
};

}  // namespace

std::uint32_t keysymForVirtualKey(std::uint8_t vk) {
    if (vk >= '0' && vk <= '9') return XKB_KEY_0 + (vk - '0');
    if (vk >= 'A' && vk <= 'Z') return XKB_KEY_a + (vk - 'A');
    if (vk >= 0x60 && vk <= 0x69) return XKB_KEY_KP_0 + (vk - 0x60);
    if (vk >= 0x70 && vk <= 0x87) return XKB_KEY_F1 + (vk - 0x70);
    for (const VirtualKey& k : kVirtualKeys)
        if (k.vk == vk) return k.keysym;
    return 0;
}

std::uint32_t keysymForChar(char32_t ch) {
    if (ch >= 0x100 && ch <= 0x10FFFF) return 0x01000000U | static_cast<std::uint32_t>(ch);
    return xkb_utf32_to_keysym(static_cast<std::uint32_t>(ch));
}

}  // namespace keyloom::platform
