// The X server going away (it ended, or the session closed): the program
// cannot go on without it. Xlib's default reaction prints a cryptic line and
// only when the program next talks to the server, which a program in a long
// Wait does not do. Here the loss is noticed within milliseconds, by a request
// that fails or by the connection being hung up while the program waits, and
// the program ends at once with a clear message on standard error.
#pragma once

#include <X11/Xlib.h>

#include <thread>

namespace keyloom::platform {

// The exit status of a program whose display went away.
inline constexpr int kDisplayLostStatus = 1;

// Makes a lost connection, on any display the program has open (the
// toolkit's included), end the program with the message. Idempotent.
void endProgramWhenDisplayIsLost();

// Watches `display`'s connection from a thread of its own, which only waits
// for the server to hang up (it reads nothing): then the program ends with
// the message, even while its own thread sleeps.
class DisplayWatch {
public:
    explicit DisplayWatch(Display* display);
    // Stops watching; before the display is closed.
    ~DisplayWatch();
    DisplayWatch(const DisplayWatch&) = delete;
    DisplayWatch& operator=(const DisplayWatch&) = delete;

private:
    int stopPipe_[2] = {-1, -1};
    std::thread thread_;
};

}  // namespace keyloom::platform
