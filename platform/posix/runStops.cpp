#include "platform/runStops.h"

#include <dirent.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace keyloom::platform {
namespace {

constexpr const char* kSuffix = ".socket";

// The folder of the sockets: in the runtime folder, else in /tmp with the
// user's id in its name; made private to the user. Empty, with the reason,
// when it cannot be had or is not the user's alone.
std::string socketFolder(std::string* why) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string folder = runtime != nullptr && *runtime == '/'
                                   ? std::string(runtime) + "/keyloom-runs"
                                   : "/tmp/keyloom-runs-" + std::to_string(getuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        *why = folder + ": " + std::strerror(errno);
        return {};
    }
    struct stat info{};
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() ||
        (info.st_mode & 077) != 0) {
        *why = folder + " is not a folder of this user's alone";
        return {};
    }
    return folder;
}

bool toAddress(const std::string& path, sockaddr_un* address) {
    *address = {};
    address->sun_family = AF_UNIX;
    if (path.size() >= sizeof address->sun_path) return false;
    std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
    return true;
}

}  // namespace

void RunStopListener::listen() {
    if (socket_ >= 0) return;
    std::string why;
    const std::string folder = socketFolder(&why);
    sockaddr_un address{};
    if (folder.empty()) return;
    path_ = folder + "/" + std::to_string(getpid()) + kSuffix;
    if (!toAddress(path_, &address)) return;
    socket_ = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket_ < 0) return;
    unlink(path_.c_str());  // left by an earlier program of this number
    if (bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(socket_, 16) != 0)
        close();
}

void RunStopListener::close() {
    if (socket_ < 0) return;
    ::close(socket_);
    socket_ = -1;
    unlink(path_.c_str());
}

bool RunStopListener::stopAsked() {
    const auto now = std::chrono::steady_clock::now();
    if (socket_ < 0 || now < nextLook_) return false;
    nextLook_ = now + kInterval;
    bool asked = false;
    for (int peer; socket_ >= 0 && (peer = accept4(socket_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
        ucred credentials{};
        socklen_t size = sizeof credentials;
        if (getsockopt(peer, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
            credentials.uid == getuid())
            asked = true;
        ::close(peer);
    }
    return asked;
}

StopOutcome stopEveryRun() {
    StopOutcome outcome;
    const std::string folder = socketFolder(&outcome.error);
    if (folder.empty()) return outcome;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) {
        outcome.error = folder + ": " + std::strerror(errno);
        return outcome;
    }
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name.size() <= std::strlen(kSuffix) ||
            name.compare(name.size() - std::strlen(kSuffix), std::string::npos, kSuffix) != 0)
            continue;
        const std::string path = folder + "/" + name;
        sockaddr_un address{};
        if (!toAddress(path, &address)) continue;
        const int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (s < 0) continue;
        if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            ++outcome.runs;
        else if (errno == ECONNREFUSED)
            unlink(path.c_str());  // its program has gone
        ::close(s);
    }
    return outcome;
}

}  // namespace keyloom::platform
