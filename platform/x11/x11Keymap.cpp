#include <X11/XKBlib.h>

#include "platform/x11/x11Impl.h"
#include "platform/x11/x11SpareKeys.h"

namespace keyloom::platform {

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
