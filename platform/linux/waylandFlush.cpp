#include "platform/linux/waylandFlush.h"

#include <poll.h>
#include <wayland-client.h>

#include <cerrno>

namespace keyloom::platform {

void flushWayland(wl_display* display) {
    while (wl_display_flush(display) < 0 && errno == EAGAIN) {
        pollfd fd{wl_display_get_fd(display), POLLOUT | POLLIN, 0};
        if (poll(&fd, 1, 1000) <= 0) return;
        if ((fd.revents & POLLIN) != 0 && wl_display_prepare_read(display) == 0) {
            wl_display_read_events(display);
            wl_display_dispatch_pending(display);
        }
        if ((fd.revents & (POLLERR | POLLHUP)) != 0) return;
    }
}

}  // namespace keyloom::platform
