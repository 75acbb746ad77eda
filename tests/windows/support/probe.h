// The probe window (keyloom-winprobe) as the tests use it: started with a
// title, ready once it has the keyboard focus, and read line by line.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "childProcess.h"

namespace keyloom::test {

// The programs the tests start, quoted for a command line.
std::wstring probeProgram();   // keyloom-winprobe.exe
std::wstring playerProgram();  // keyloom-play.exe

// Waits until `condition` holds, checking every 20 ms; false at the timeout.
bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s);

// Puts the cursor at (x, y) and waits until it stays there. Under Wine a
// pointer event from before (a window appearing, an earlier move) can arrive
// after a move and put the cursor back; checks that move the cursor and then
// click wait for it to settle first.
bool settleCursor(int x, int y);

class Probe {
public:
    // The probe is ended after `lifetime` at the latest. `options`: more
    // arguments ("--count").
    explicit Probe(const std::string& title, std::chrono::milliseconds lifetime = 60s,
                   const std::string& options = "");
    // True once the probe window is shown and has the keyboard focus.
    bool ready() const { return ready_; }
    HWND window() const;

    // Marks the lines seen so far as read: the next checks look at later lines.
    void mark() { from_ = process_.lineCount(); }
    // Waits until a line after the mark equals `line`.
    bool waitFor(const std::string& line, std::chrono::milliseconds timeout = 10s);
    // Waits until a line after the mark begins with `prefix`.
    bool waitForPrefix(const std::string& prefix, std::chrono::milliseconds timeout = 10s);
    // With --count: the key events counted so far, and whether they came in
    // order; nothing when the probe does not answer.
    std::optional<std::pair<long, bool>> keyCount();
    // The lines after the mark that begin with one of `prefixes`.
    std::vector<std::string> linesAfterMark(const std::vector<std::string>& prefixes) const;

private:
    std::string title_;
    ChildProcess process_;
    std::size_t from_ = 0;
    bool ready_ = false;
};

}  // namespace keyloom::test
