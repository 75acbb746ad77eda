// Sending on a Wayland connection, shared by the Wayland desktops.
#pragma once

struct wl_display;

namespace keyloom::platform {

// Sends what is queued. While the compositor reads slower than we send, it
// waits for room (a second at most at a time), taking in what the
// compositor sends meanwhile; it gives up when the connection fails.
void flushWayland(wl_display* display);

}  // namespace keyloom::platform
