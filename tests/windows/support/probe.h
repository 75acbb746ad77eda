// The probe window (keyloom-winprobe) as the tests use it: started with a
// title, ready once it has the keyboard focus, and read line by line.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/win32Text.h"
#include "support/childProcess.h"

namespace keyloom::test {

// UTF-8 to UTF-16 and back, for command lines and window titles.
inline std::wstring wide(const std::string& utf8) { return platform::win32::toWide(utf8); }
inline std::string narrow(const std::wstring& text) { return platform::win32::toUtf8(text); }
// A path given at build time, reachable from the program: under Wine a Unix
// path is reached through drive Z:.
std::string buildPath(const char* path);
std::string probeProgram();   // keyloom-winprobe.exe
std::string playerProgram();  // keyloom-play.exe

// Puts the cursor at (x, y) and waits until it stays there. Under Wine a
// pointer event from before (a window appearing, an earlier move) can arrive
// after a move and put the cursor back; checks that move the cursor and then
// click wait for it to settle first.
bool settleCursor(int x, int y);

class Probe {
public:
    // `option`: "--count", or none.
    explicit Probe(const std::string& title, const std::string& option = "");
    // True once the probe window is shown and has the keyboard focus.
    bool ready() const { return ready_; }
    HWND window() const;

    // Marks the lines received so far as read: the next checks look at later lines.
    void mark();
    // Waits until a line after the mark equals `line`.
    bool waitFor(const std::string& line, double timeoutSeconds = 10);
    // Waits until a line after the mark begins with `prefix`.
    bool waitForPrefix(const std::string& prefix, double timeoutSeconds = 10);
    // With --count: the key events counted so far, and whether they came in
    // order; nothing when the probe does not answer.
    std::optional<std::pair<long, bool>> keyCount();
    // The lines received after the mark that begin with one of `prefixes`.
    std::vector<std::string> linesAfterMark(const std::vector<std::string>& prefixes);

private:
    bool waitUntil(const std::function<bool(const std::string&)>& match, double timeoutSeconds);

    std::string title_;
    ChildProcess process_;
    std::vector<std::string> lines_;
    std::size_t from_ = 0;
    bool ready_ = false;
};

}  // namespace keyloom::test
