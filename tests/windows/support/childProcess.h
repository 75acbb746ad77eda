// Programs that the Windows tests start: a child process whose standard
// output is read line by line, and which never outlives its test (a stray
// modal dialog makes the test fail, not hang).
#pragma once

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win32Text.h"

namespace keyloom::test {

using namespace std::chrono_literals;

// A path given at build time, reachable from the program: under Wine a Unix
// path is reached through drive Z:.
std::wstring buildPath(const char* path);
// UTF-8 to UTF-16 and back, for command lines and window titles.
inline std::wstring wide(const std::string& utf8) { return platform::win32::toWide(utf8); }
inline std::string narrow(const std::wstring& text) { return platform::win32::toUtf8(text); }

class ChildProcess {
public:
    // Starts `commandLine` with pipes for its standard input and output (its
    // standard error goes to ours) and CreateProcess `flags`. The child is
    // ended after `lifetime`.
    explicit ChildProcess(const std::wstring& commandLine,
                          std::chrono::milliseconds lifetime = 60s, DWORD flags = 0);
    // Closes its input, gives it 5 s to end, then ends it.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return process_ != nullptr; }
    DWORD pid() const { return pid_; }

    // Waits until one of the lines from index `from` on satisfies `match`;
    // false when `timeout` passes first or the output ends.
    bool waitForLine(const std::function<bool(const std::string&)>& match,
                     std::chrono::milliseconds timeout, std::size_t from = 0);
    std::vector<std::string> lines() const;
    std::size_t lineCount() const;

    // Writes `text` to its standard input; false when it cannot.
    bool writeInput(const std::string& text);
    void closeInput();
    // The exit code; nothing when it has not ended within `timeout` (it is
    // then ended).
    std::optional<int> wait(std::chrono::milliseconds timeout);

private:
    void readOutput();

    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    HANDLE input_ = nullptr;
    HANDLE output_ = nullptr;
    HANDLE watchdogStop_ = nullptr;
    std::thread reader_;
    std::thread watchdog_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
    std::string partial_;
    bool ended_ = false;
};

}  // namespace keyloom::test
