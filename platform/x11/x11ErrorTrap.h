// Requests about other programs' windows fail when a window goes away in
// the meantime. While an ErrorTrap lives, such errors are counted instead of
// ending the program (Xlib's default reaction).
#pragma once

#include <X11/Xlib.h>

namespace keyloom::platform {

class ErrorTrap {
public:
    explicit ErrorTrap(Display* display);
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Whether a request made since the trap was set failed (waits for the
    // server to answer every request sent so far).
    bool failed();

private:
    Display* display_;
    XErrorHandler previous_;
    unsigned long errorsBefore_;
};

}  // namespace keyloom::platform
