// Reading a connection's events without waiting for the server.
#pragma once

#include <X11/Xlib.h>

namespace keyloom::platform {

// Hands every event that has arrived on `display` to `handle`, keeping
// Xlib's copy of the key map current on the way.
template <typename Handle>
void drainEvents(Display* display, Handle&& handle) {
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MappingNotify)
            XRefreshKeyboardMapping(&event.xmapping);
        else
            handle(event);
    }
}

}  // namespace keyloom::platform
