// A program started by a test or a benchmark, with its standard input and
// output on pipes: lines are read with a timeout, the program is stopped and
// reaped when the object goes away.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace keyloom::test {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv[0] (a path) with `argv`; standard error stays ours. With
    // `outputTo` the program writes its standard output to that file instead
    // of a pipe to us.
    bool start(const std::vector<std::string>& argv, std::string* error = nullptr,
               const std::string& outputTo = {});

    // The next line of output without its newline; nothing when the timeout
    // passes first or the output has ended.
    std::optional<std::string> readLine(double timeoutSeconds);

    void writeLine(const std::string& text);
    void closeInput();
    void signal(int signalNumber);

    // Waits for the program to end: its exit status, 128 + the signal when a
    // signal ended it, nothing when it still runs at the timeout.
    std::optional<int> wait(double timeoutSeconds);
    // Resources the ended program used (wait4).
    const rusage& usage() const { return usage_; }
    bool running() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    bool outputEnded_ = false;
    std::string buffer_;     // output read but not yet returned, from `start_` on
    std::size_t start_ = 0;
    rusage usage_{};
};

// Monotonic seconds.
double monotonicNow();
// Polls `check` until it holds or `timeoutSeconds` pass.
bool eventually(const std::function<bool()>& check, double timeoutSeconds = 20);

}  // namespace keyloom::test
