// The probe window (keyloom-winprobe) as the tests use it: started with a
// title, ready once it has the keyboard focus, and read line by line.
#pragma once

#include <string>
#include <vector>

#include "childProcess.h"

namespace keyloom::test {

// The programs the tests start, quoted for a command line.
std::wstring probeProgram();   // keyloom-winprobe.exe
std::wstring playerProgram();  // keyloom-play.exe

// Waits until `condition` holds, checking every 20 ms; false at the timeout.
bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s);

class Probe {
public:
    explicit Probe(const std::string& title);
    // True once the probe window is shown and has the keyboard focus.
    bool ready() const { return ready_; }
    DWORD pid() const { return process_.pid(); }
    HWND window() const;

    // Marks the lines seen so far as read: the next checks look at later lines.
    void mark() { from_ = process_.lineCount(); }
    // Waits until a line after the mark equals `line`.
    bool waitFor(const std::string& line, std::chrono::milliseconds timeout = 10s);
    // The lines after the mark that begin with one of `prefixes`.
    std::vector<std::string> linesAfterMark(const std::vector<std::string>& prefixes) const;

private:
    std::string title_;
    ChildProcess process_;
    std::size_t from_ = 0;
    bool ready_ = false;
};

}  // namespace keyloom::test
