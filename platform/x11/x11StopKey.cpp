// The stop key: physical presses of Pause.
#include "platform/x11/x11Impl.h"

namespace keyloom::platform {

bool X11Desktop::stopKeyPressed() { return false; }

}  // namespace keyloom::platform
