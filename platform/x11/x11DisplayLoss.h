// The X server going away (it ended, or the session closed): the program
// cannot go on without it. Xlib's default reaction prints a cryptic line and
// only when the program next talks to the server, which a program in a long
// Wait does not do. Here the loss is noticed within milliseconds, by a request
// that fails or by the connection being hung up while the program waits, and
// the program ends at once with a clear message on standard error.
#pragma once

#include <X11/Xlib.h>

#include <string>

#include "platform/linux/connectionLoss.h"

namespace keyloom::platform {

// Makes a lost connection, on any display the program has open (the
// toolkit's included), end the program with the message. Idempotent.
inline void endProgramWhenDisplayIsLost() {
    XSetIOErrorHandler([](Display* display) -> int {
        endForLostConnection("the X display \"" + std::string(DisplayString(display)) + "\"");
    });
}

// Watches `display`'s connection (see ConnectionWatch).
class DisplayWatch : public ConnectionWatch {
public:
    explicit DisplayWatch(Display* display)
        : ConnectionWatch(ConnectionNumber(display),
                          "the X display \"" + std::string(DisplayString(display)) + "\"") {}
};

}  // namespace keyloom::platform
