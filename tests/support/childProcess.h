// A program started by a test or a benchmark, on POSIX and on Windows, with
// its standard input and output on pipes: lines are read with a timeout, the
// program is stopped and reaped when the object goes away (a stray modal
// dialog makes the test fail, not hang).
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#endif

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
    // `outputTo` (POSIX) the program writes its standard output to that file
    // instead of a pipe to us. On Windows a console program gets a console
    // of its own, without a window, through which Ctrl+C reaches it.
    bool start(const std::vector<std::string>& argv, std::string* error = nullptr,
               const std::string& outputTo = {});

    // The next line of output without its newline; nothing when the timeout
    // passes first or the output has ended.
    std::optional<std::string> readLine(double timeoutSeconds);

    // A short line (up to PIPE_BUF bytes on POSIX), written whole.
    void writeLine(const std::string& text);
    void closeInput();

    // Waits for the program to end: its exit status (POSIX: 128 + the signal
    // when a signal ended it), nothing when it still runs at the timeout.
    std::optional<int> wait(double timeoutSeconds);
    bool running() const { return pid_ > 0; }
    long pid() const { return pid_; }
#ifndef _WIN32
    void signal(int signalNumber);
    // Resources the ended program used (wait4).
    const rusage& usage() const { return usage_; }
#endif

private:
    // Adds what the program writes within `timeoutSeconds` to `buffer_`;
    // false when nothing came.
    bool readMore(double timeoutSeconds);

    long pid_ = -1;
#ifdef _WIN32
    HANDLE process_ = nullptr;
    HANDLE in_ = nullptr;
    HANDLE out_ = nullptr;
#else
    int in_ = -1;
    int out_ = -1;
    rusage usage_{};
#endif
    bool outputEnded_ = false;
    std::string buffer_;     // output read but not yet returned, from `start_` on
    std::size_t start_ = 0;
};

#ifdef _WIN32
// A path given at build time, reachable from the program: under Wine a Unix
// path is reached through drive Z:.
inline std::string windowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}
#endif

// Monotonic seconds.
double monotonicNow();
// Polls `check` until it holds or `timeoutSeconds` pass.
bool eventually(const std::function<bool()>& check, double timeoutSeconds = 20);

}  // namespace keyloom::test
