// Typing key strings.
#include "platform/x11/x11Impl.h"
#include "platform/x11/x11Typist.h"

namespace keyloom::platform {

void X11Desktop::typeKeys(const std::string&, const std::vector<KeyStroke>& strokes,
                          const StopCheck& stopAsked) {
    Impl* impl = impl_.get();
    if (!impl->typist) {
        auto keycodeForVk = [impl](std::uint8_t vk) -> KeyCode {
            KeySym keysym = keysymForVirtualKey(vk);
            return keysym == 0 ? 0 : impl->keymap.keycodeFor(keysym);
        };
        impl->typist =
            std::make_shared<Typist>(impl->display, impl->pace, impl->spares, keycodeForVk, [impl] { impl->keymap.invalidate(); });
    }
    impl->typist->type(strokes, stopAsked);
}

}  // namespace keyloom::platform
