#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/systemDesktop.h"
#include "platform/win32/win32Desktop.h"

namespace keyloom::platform {

std::unique_ptr<Desktop> openSystemDesktop(std::string*) { return std::make_unique<Win32Desktop>(); }

void useBinaryStandardOutput() {
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace keyloom::platform
