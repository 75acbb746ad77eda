#include "platform/x11/x11ErrorTrap.h"

#include <atomic>

namespace keyloom::platform {
namespace {

// Xlib's error handler takes no context: the count lives here. Only the
// window thread makes X requests.
std::atomic<unsigned long> trappedErrors{0};

int countError(Display*, XErrorEvent*) {
    ++trappedErrors;
    return 0;
}

}  // namespace

ErrorTrap::ErrorTrap(Display* display) : display_(display) {
    // Errors of earlier requests belong to the handler in place before.
    XSync(display_, False);
    previous_ = XSetErrorHandler(countError);
    errorsBefore_ = trappedErrors.load();
}

ErrorTrap::~ErrorTrap() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
}

bool ErrorTrap::failed() {
    XSync(display_, False);
    return trappedErrors.load() != errorsBefore_;
}

}  // namespace keyloom::platform
