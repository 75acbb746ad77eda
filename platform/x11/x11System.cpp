#include "platform/systemDesktop.h"
#include "platform/x11/x11Desktop.h"

namespace keyloom::platform {

std::unique_ptr<Desktop> openSystemDesktop(std::string* error) {
    return X11Desktop::open(nullptr, error);
}

std::vector<std::string> programArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

// POSIX streams never translate line ends.
void useBinaryStandardOutput() {}

}  // namespace keyloom::platform
