// Starting programs and opening documents.
#include "platform/x11/x11Impl.h"

namespace keyloom::platform {

std::optional<long> X11Desktop::startProgram(const std::string&) { return std::nullopt; }

bool X11Desktop::openDocument(const std::string&) { return false; }

}  // namespace keyloom::platform
