#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <array>

#include "platform/x11/x11Impl.h"
#include "platform/x11/x11SpareKeys.h"

namespace keyloom::platform {
namespace {

struct VirtualKey {
    std::uint8_t vk;
    KeySym keysym;
};

// Windows virtual-key codes and the keys they name on a US keyboard.
constexpr std::array kVirtualKeys{
    VirtualKey{0x08, XK_BackSpace}, VirtualKey{0x09, XK_Tab},
    VirtualKey{0x0C, XK_Clear},     VirtualKey{0x0D, XK_Return},
    VirtualKey{0x10, XK_Shift_L},   VirtualKey{0x11, XK_Control_L},
    VirtualKey{0x12, XK_Alt_L},     VirtualKey{0x13, XK_Pause},
    VirtualKey{0x14, XK_Caps_Lock}, VirtualKey{0x1B, XK_Escape},
    VirtualKey{0x20, XK_space},     VirtualKey{0x21, XK_Prior},
    VirtualKey{0x22, XK_Next},      VirtualKey{0x23, XK_End},
    VirtualKey{0x24, XK_Home},      VirtualKey{0x25, XK_Left},
    VirtualKey{0x26, XK_Up},        VirtualKey{0x27, XK_Right},
    VirtualKey{0x28, XK_Down},      VirtualKey{0x29, XK_Select},
    VirtualKey{0x2A, XK_Print},     VirtualKey{0x2B, XK_Execute},
    VirtualKey{0x2C, XK_Print},     VirtualKey{0x2D, XK_Insert},
    VirtualKey{0x2E, XK_Delete},    VirtualKey{0x2F, XK_Help},
    VirtualKey{0x5B, XK_Super_L},   VirtualKey{0x5C, XK_Super_R},
    VirtualKey{0x5D, XK_Menu},      VirtualKey{0x6A, XK_KP_Multiply},
    VirtualKey{0x6B, XK_KP_Add},    VirtualKey{0x6C, XK_KP_Separator},
    VirtualKey{0x6D, XK_KP_Subtract}, VirtualKey{0x6E, XK_KP_Decimal},
    VirtualKey{0x6F, XK_KP_Divide}, VirtualKey{0x90, XK_Num_Lock},
    VirtualKey{0x91, XK_Scroll_Lock}, VirtualKey{0xA0, XK_Shift_L},
    VirtualKey{0xA1, XK_Shift_R},   VirtualKey{0xA2, XK_Control_L},
    VirtualKey{0xA3, XK_Control_R}, VirtualKey{0xA4, XK_Alt_L},
    VirtualKey{0xA5, XK_Alt_R},     VirtualKey{0xBA, XK_semicolon},
    VirtualKey{0xBB, XK_equal},     VirtualKey{0xBC, XK_comma},
    VirtualKey{0xBD, XK_minus},     VirtualKey{0xBE, XK_period},
    VirtualKey{0xBF, XK_slash},     VirtualKey{0xC0, XK_grave},
    VirtualKey{0xDB, XK_bracketleft}, VirtualKey{0xDC, XK_backslash},
    VirtualKey{0xDD, XK_bracketright}, VirtualKey{0xDE, XK_apostrophe},
    VirtualKey{0xE2, XK_less},
};

}  // namespace

unsigned long keysymForVirtualKey(std::uint8_t vk) {
    if (vk >= '0' && vk <= '9') return XK_0 + (vk - '0');
    if (vk >= 'A' && vk <= 'Z') return XK_a + (vk - 'A');
    if (vk >= 0x60 && vk <= 0x69) return XK_KP_0 + (vk - 0x60);
    if (vk >= 0x70 && vk <= 0x87) return XK_F1 + (vk - 0x70);
    for (const VirtualKey& k : kVirtualKeys)
        if (k.vk == vk) return k.keysym;
    return 0;
}

void Keymap::giveBack() {
    if (bound_.empty()) return;
    XSync(display_, False);
    ReadPace::sleepUntil(ReadPace::now() + ReadPace::kRestoreMargin);
    for (const auto& [keycode, keysym] : bound_) {
        KeySym none = NoSymbol;
        XChangeKeyboardMapping(display_, keycode, 1, &none, 1);
    }
    XSync(display_, False);
    bound_.clear();
    found_.clear();
}

KeyCode Keymap::keycodeFor(KeySym keysym) {
    auto it = found_.find(keysym);
    if (it != found_.end()) return it->second;
    KeyCode keycode = XKeysymToKeycode(display_, keysym);
    if (keycode == 0) keycode = bindSpare(keysym);
    if (keycode != 0) found_[keysym] = keycode;
    return keycode;
}

KeyCode Keymap::bindSpare(KeySym keysym) {
    int minKeycode = 0;
    int maxKeycode = 0;
    XDisplayKeycodes(display_, &minKeycode, &maxKeycode);
    int perKeycode = 0;
    KeySym* map = XGetKeyboardMapping(display_, static_cast<KeyCode>(minKeycode),
                                      maxKeycode - minKeycode + 1, &perKeycode);
    if (map == nullptr) return 0;
    KeyCode spare = 0;
    for (int k = maxKeycode; k >= minKeycode && spare == 0; --k) {
        bool empty = true;
        for (int l = 0; l < perKeycode; ++l)
            empty = empty && map[(k - minKeycode) * perKeycode + l] == NoSymbol;
        if (empty && bound_.count(static_cast<KeyCode>(k)) == 0) spare = static_cast<KeyCode>(k);
    }
    XFree(map);
    if (spare == 0) return 0;
    KeySym both[2] = {keysym, keysym};
    XChangeKeyboardMapping(display_, spare, 2, both, 1);
    XSync(display_, False);
    bound_[spare] = keysym;
    return spare;
}

}  // namespace keyloom::platform
