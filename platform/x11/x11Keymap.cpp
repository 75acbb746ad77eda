#include "platform/x11/x11Impl.h"

namespace keyloom::platform {

KeyCode Keymap::keycodeFor(KeySym keysym) {
    auto it = found_.find(keysym);
    if (it != found_.end()) return it->second;
    KeyCode keycode = XKeysymToKeycode(display_, keysym);
    if (keycode == 0) keycode = spares_.bindKey(keysym);
    if (keycode != 0) found_[keysym] = keycode;
    return keycode;
}

}  // namespace keyloom::platform
