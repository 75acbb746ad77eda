// The desktop's server going away (it ended, or the session closed): the
// program cannot go on without it. A client library notices only when the
// program next talks to the server, which a program in a long Wait does not
// do. Here the loss is noticed within milliseconds, by the connection being
// hung up while the program waits, and the program ends at once with a clear
// message on standard error.
#pragma once

#include <string>
#include <thread>

namespace keyloom::platform {

// The exit status of a program whose display went away.
inline constexpr int kDisplayLostStatus = 1;

// Says "lost the connection to SERVER; ending." once, whichever thread notices
// first, and ends the program without running exit handlers or destructors:
// they would talk to the server again.
[[noreturn]] void endForLostConnection(const std::string& server);

// Watches a connection from a thread of its own, which only waits for the
// server to hang up (it reads nothing): then the program ends with the
// message, even while its own thread sleeps.
class ConnectionWatch {
public:
    // `server` names it in the message ("the X display \":1\"").
    ConnectionWatch(int connection, std::string server);
    // Stops watching; before the connection is closed.
    ~ConnectionWatch();
    ConnectionWatch(const ConnectionWatch&) = delete;
    ConnectionWatch& operator=(const ConnectionWatch&) = delete;

private:
    int stopPipe_[2] = {-1, -1};
    std::thread thread_;
};

}  // namespace keyloom::platform
