#include "bench/startupWatch.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>

namespace keyloom::bench {

double monotonicSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

WindowWatch::WindowWatch() : display_(XOpenDisplay(nullptr)) {}

WindowWatch::~WindowWatch() {
    if (display_ != nullptr) XCloseDisplay(display_);
}

bool WindowWatch::titled(unsigned long window, const std::string& title) {
    Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
    Atom netName = XInternAtom(display_, "_NET_WM_NAME", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool match = false;
    if (XGetWindowProperty(display_, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data != nullptr) {
        match = title == reinterpret_cast<char*>(data);
        XFree(data);
    }
    return match;
}

std::optional<Started> WindowWatch::start(const std::vector<std::string>& argv,
                                          const std::string& title, double timeout) {
    Window root = DefaultRootWindow(display_);
    XSelectInput(display_, root, SubstructureNotifyMask);
    XSync(display_, True);

    char homePattern[] = "/tmp/keyloom-bench-homeXXXXXX";
    const char* home = mkdtemp(homePattern);
    const double t0 = monotonicSeconds();
    pid_t pid = fork();
    if (pid == 0) {
        if (home != nullptr) setenv("HOME", home, 1);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    if (pid < 0) return std::nullopt;

    // A reparenting window manager maps the client inside its frame: when a
    // top-level window is mapped, look for the titled window in it.
    std::function<bool(Window, int)> shownIn = [&](Window w, int depth) {
        if (titled(w, title)) {
            XWindowAttributes a{};
            return XGetWindowAttributes(display_, w, &a) != 0 && a.map_state == IsViewable;
        }
        if (depth == 0) return false;
        Window r = 0, parent = 0, *children = nullptr;
        unsigned n = 0;
        bool shown = false;
        if (XQueryTree(display_, w, &r, &parent, &children, &n) != 0) {
            for (unsigned i = 0; i < n && !shown; ++i) shown = shownIn(children[i], depth - 1);
            if (children != nullptr) XFree(children);
        }
        return shown;
    };

    const double end = t0 + timeout;
    while (monotonicSeconds() < end) {
        while (XPending(display_) > 0) {
            XEvent e;
            XNextEvent(display_, &e);
            if (e.type == MapNotify && shownIn(e.xmap.window, 3)) {
                const double shownAt = monotonicSeconds();
                const double cpu = mainThreadCpuSeconds(pid);
                XSelectInput(display_, root, NoEventMask);
                return Started{pid, shownAt - t0, cpu, home != nullptr ? home : ""};
            }
        }
        pollfd p{ConnectionNumber(display_), POLLIN, 0};
        poll(&p, 1, 5);
    }
    stop(Started{pid, 0, 0, home != nullptr ? home : ""});
    return std::nullopt;
}

void stop(const Started& started) {
    const pid_t pid = started.pid;
    if (pid > 0) {
        kill(pid, SIGTERM);
        bool ended = false;
        for (int i = 0; i < 200 && !ended; ++i) {
            ended = waitpid(pid, nullptr, WNOHANG) == pid;
            if (!ended) usleep(10000);
        }
        if (!ended) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    if (!started.home.empty()) std::filesystem::remove_all(started.home);
}

double cpuSecondsOf(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoul(field);
        if (i == 15) stime = std::stoul(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double mainThreadCpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/schedstat");
    double nanoseconds = 0;
    in >> nanoseconds;
    return nanoseconds / 1e9;
}

long residentKiB(pid_t pid, const char* field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + length);
    return 0;
}

}  // namespace keyloom::bench
