// Finding and activating top-level windows.
#include "platform/x11/x11Impl.h"

namespace keyloom::platform {

bool X11Desktop::activateWindow(const std::string&) { return false; }

bool X11Desktop::activateProcessWindow(long) { return false; }

}  // namespace keyloom::platform
