// Key and button state for the recorder.
#include "platform/x11/x11Impl.h"

namespace keyloom::platform {

std::int16_t X11Desktop::getAsyncKeyState(int) { return 0; }

// X keeps no per-thread key-state table that could go stale: nothing to reset.
void X11Desktop::setKeyboardState(const std::array<std::uint8_t, 256>&) {}

}  // namespace keyloom::platform
