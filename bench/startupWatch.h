// Starting a windowed program and watching for its main window, for the
// start-up and idle benchmarks: the time from the start to the moment the
// window with a given title is on the screen (viewable), and the program's
// processor time and memory afterwards.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

struct _XDisplay;

namespace keyloom::bench {

struct Started {
    pid_t pid = -1;
    double secondsToShown = 0;
    double cpuSecondsToShown = 0;  // processor time of its main thread by then
    std::string home;  // its own HOME, removed when it is stopped
};

class WindowWatch {
public:
    WindowWatch();
    ~WindowWatch();
    bool ok() const { return display_ != nullptr; }

    // Starts `argv` with a fresh HOME and waits (at most `timeout` seconds)
    // until a top-level window titled `title` is viewable.
    std::optional<Started> start(const std::vector<std::string>& argv, const std::string& title,
                                 double timeout = 20);

private:
    bool titled(unsigned long window, const std::string& title);
    ::_XDisplay* display_ = nullptr;
};

// Ends the program and reaps it.
void stop(const Started& started);
// User + system processor seconds of the process so far.
double cpuSecondsOf(pid_t pid);
// Processor time of the main thread so far (nanosecond clock).
double mainThreadCpuSeconds(pid_t pid);
// Resident memory of the process now, in KiB ("VmRSS:", or another line of
// /proc/PID/status such as "RssAnon:").
long residentKiB(pid_t pid, const char* field = "VmRSS:");
double monotonicSeconds();

}  // namespace keyloom::bench
