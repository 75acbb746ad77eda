// Typing key strings.
#include "platform/x11/x11Impl.h"

namespace keyloom::platform {

void X11Desktop::typeKeys(const std::string&, const std::vector<KeyStroke>&) {}

}  // namespace keyloom::platform
