#include "platform/linux/connectionLoss.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <string>

namespace keyloom::platform {
namespace {

void writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace

void endForLostConnection(const std::string& server) {
    // Xlib's IO error handler takes no context: the once-flag lives here.
    static std::atomic<bool> ending{false};
    if (!ending.exchange(true)) {
        writeAll(STDERR_FILENO, std::string(program_invocation_short_name) +
                                    ": lost the connection to " + server + "; ending.\n");
        ::_exit(kDisplayLostStatus);
    }
    for (;;) ::pause();  // the other thread is ending the program
}

ConnectionWatch::ConnectionWatch(int connection, std::string server) {
    if (::pipe2(stopPipe_, O_CLOEXEC) != 0) return;
    const int stop = stopPipe_[0];
    thread_ = std::thread([connection, server = std::move(server), stop] {
        // POLLRDHUP: the server closed its end; data waiting to be read (for
        // the program's own thread) does not wake this one.
        pollfd fds[2] = {{connection, POLLRDHUP, 0}, {stop, POLLIN, 0}};
        for (;;) {
            int n = ::poll(fds, 2, -1);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 || fds[1].revents != 0 || (fds[0].revents & POLLNVAL) != 0) return;
            if ((fds[0].revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0)
                endForLostConnection(server);
        }
    });
}

ConnectionWatch::~ConnectionWatch() {
    if (thread_.joinable()) {
        char byte = 0;
        while (::write(stopPipe_[1], &byte, 1) < 0 && errno == EINTR) {
        }
        thread_.join();
    }
    for (int fd : stopPipe_)
        if (fd >= 0) ::close(fd);
}

}  // namespace keyloom::platform
