#include "platform/linux/keysyms.h"

#include <xkbcommon/xkbcommon.h>

#include <array>

#include "platform/virtualKeys.h"

namespace keyloom::platform {
namespace {

struct VirtualKey {
    std::uint8_t vk;
    std::uint32_t keysym;
};

// Windows virtual-key codes and the keys they name on a US keyboard.
constexpr std::array kVirtualKeys{
    VirtualKey{vk::kBack, XKB_KEY_BackSpace},      VirtualKey{vk::kTab, XKB_KEY_Tab},
    VirtualKey{vk::kClear, XKB_KEY_Clear},         VirtualKey{vk::kReturn, XKB_KEY_Return},
    VirtualKey{vk::kShift, XKB_KEY_Shift_L},       VirtualKey{vk::kControl, XKB_KEY_Control_L},
    VirtualKey{vk::kMenu, XKB_KEY_Alt_L},          VirtualKey{vk::kPause, XKB_KEY_Pause},
    VirtualKey{vk::kCapital, XKB_KEY_Caps_Lock},   VirtualKey{vk::kEscape, XKB_KEY_Escape},
    VirtualKey{vk::kSpace, XKB_KEY_space},         VirtualKey{vk::kPrior, XKB_KEY_Prior},
    VirtualKey{vk::kNext, XKB_KEY_Next},           VirtualKey{vk::kEnd, XKB_KEY_End},
    VirtualKey{vk::kHome, XKB_KEY_Home},           VirtualKey{vk::kLeft, XKB_KEY_Left},
    VirtualKey{vk::kUp, XKB_KEY_Up},               VirtualKey{vk::kRight, XKB_KEY_Right},
    VirtualKey{vk::kDown, XKB_KEY_Down},           VirtualKey{vk::kSelect, XKB_KEY_Select},
    VirtualKey{vk::kPrint, XKB_KEY_Print},         VirtualKey{vk::kExecute, XKB_KEY_Execute},
    VirtualKey{vk::kSnapshot, XKB_KEY_Print},      VirtualKey{vk::kInsert, XKB_KEY_Insert},
    VirtualKey{vk::kDelete, XKB_KEY_Delete},       VirtualKey{vk::kHelp, XKB_KEY_Help},
    VirtualKey{vk::kLWin, XKB_KEY_Super_L},        VirtualKey{vk::kRWin, XKB_KEY_Super_R},
    VirtualKey{vk::kApps, XKB_KEY_Menu},           VirtualKey{vk::kMultiply, XKB_KEY_KP_Multiply},
    VirtualKey{vk::kAdd, XKB_KEY_KP_Add},          VirtualKey{vk::kSeparator, XKB_KEY_KP_Separator},
    VirtualKey{vk::kSubtract, XKB_KEY_KP_Subtract}, VirtualKey{vk::kDecimal, XKB_KEY_KP_Decimal},
    VirtualKey{vk::kDivide, XKB_KEY_KP_Divide},    VirtualKey{vk::kNumLock, XKB_KEY_Num_Lock},
    VirtualKey{vk::kScroll, XKB_KEY_Scroll_Lock},  VirtualKey{vk::kLShift, XKB_KEY_Shift_L},
    VirtualKey{vk::kRShift, XKB_KEY_Shift_R},      VirtualKey{vk::kLControl, XKB_KEY_Control_L},
    VirtualKey{vk::kRControl, XKB_KEY_Control_R},  VirtualKey{vk::kLMenu, XKB_KEY_Alt_L},
    VirtualKey{vk::kRMenu, XKB_KEY_Alt_R},         VirtualKey{vk::kOem1, XKB_KEY_semicolon},
    VirtualKey{vk::kOemPlus, XKB_KEY_equal},       VirtualKey{vk::kOemComma, XKB_KEY_comma},
    VirtualKey{vk::kOemMinus, XKB_KEY_minus},      VirtualKey{vk::kOemPeriod, XKB_KEY_period},
    VirtualKey{vk::kOem2, XKB_KEY_slash},          VirtualKey{vk::kOem3, XKB_KEY_grave},
    VirtualKey{vk::kOem4, XKB_KEY_bracketleft},    VirtualKey{vk::kOem5, XKB_KEY_backslash},
    VirtualKey{vk::kOem6, XKB_KEY_bracketright},   VirtualKey{vk::kOem7, XKB_KEY_apostrophe},
    VirtualKey{vk::kOem102, XKB_KEY_less},
};

}  // namespace

std::uint32_t keysymForVirtualKey(std::uint8_t vk) {
    if (vk >= '0' && vk <= '9') return XKB_KEY_0 + (vk - '0');
    if (vk >= 'A' && vk <= 'Z') return XKB_KEY_a + (vk - 'A');
    if (vk >= vk::kNumpad0 && vk <= vk::kNumpad0 + 9) return XKB_KEY_KP_0 + (vk - vk::kNumpad0);
    if (vk >= vk::kF1 && vk <= vk::kF24) return XKB_KEY_F1 + (vk - vk::kF1);
    for (const VirtualKey& k : kVirtualKeys)
        if (k.vk == vk) return k.keysym;
    return 0;
}

std::uint32_t keysymForChar(char32_t ch) {
    if (ch >= 0x100 && ch <= 0x10FFFF) return 0x01000000U | static_cast<std::uint32_t>(ch);
    return xkb_utf32_to_keysym(static_cast<std::uint32_t>(ch));
}

}  // namespace keyloom::platform
