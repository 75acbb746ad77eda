// Runs stopped from outside the program, on desktops that show no program
// the keys of another (Wayland) and for key bindings of any desktop: while a
// run goes on it listens on a socket of its own in the user's runtime
// folder, and `keyloom --stop` or `keyloom-play --stop` knocks at each one.
#pragma once

#include <chrono>
#include <string>

namespace keyloom::platform {

class RunStopListener {
public:
    RunStopListener() = default;
    ~RunStopListener() { close(); }
    RunStopListener(const RunStopListener&) = delete;
    RunStopListener& operator=(const RunStopListener&) = delete;

    // Starts listening (again a no-op while it listens). Where no socket can
    // be made, a run is stopped only the other ways.
    void listen();
    void close();
    // True when a program of this user has knocked since the previous call.
    // Looks at the socket at most every `kInterval`: a run asks before every
    // entry, and a system call each time would slow its keys down.
    bool stopAsked();
    static constexpr std::chrono::milliseconds kInterval{5};

private:
    int socket_ = -1;
    std::chrono::steady_clock::time_point nextLook_{};
    std::string path_;
};

struct StopOutcome {
    int runs = 0;       // the runs asked to stop
    std::string error;  // why none could be asked, when it is not that none goes on
};

// Asks every run in progress of this user to stop.
StopOutcome stopEveryRun();

// What `--stop` prints for `outcome`, and its exit status.
inline int reportStops(const StopOutcome& outcome, std::string* text) {
    if (!outcome.error.empty()) {
        *text = "cannot stop the runs: " + outcome.error;
        return 1;
    }
    *text = outcome.runs == 0   ? std::string("no run in progress")
            : outcome.runs == 1 ? std::string("stopped 1 run")
                                : "stopped " + std::to_string(outcome.runs) + " runs";
    return 0;
}

}  // namespace keyloom::platform
