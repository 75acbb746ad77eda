// The desktop of the system the programs run on: X11 or Windows, chosen by
// the build (one source file per backend).
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace keyloom::platform {

// Opens the desktop; nothing when it cannot be reached, with the reason in
// `error`. Destroying it sends whatever it still has queued.
std::unique_ptr<Desktop> openSystemDesktop(std::string* error);

// The standard output writes bytes as they are: a line ends in "\n" on every
// system (no CR LF translation).
void useBinaryStandardOutput();

}  // namespace keyloom::platform
