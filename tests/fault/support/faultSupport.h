// Helpers of the fault tier: a private X server that a test may kill, our
// programs started on it with their standard error kept in a file, and the
// server's input state read back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/fileBytes.h"
#include "support/tempDir.h"
#include "support/childProcess.h"
#include "x11/support/xState.h"  // after the test framework: Xlib's macros clash with it

namespace keyloom::fault {

// An Xvfb of the test's own, without a window manager.
class PrivateDisplay {
public:
    PrivateDisplay();
    ~PrivateDisplay();
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    bool ok() const { return !name_.empty(); }
    const std::string& name() const { return name_; }  // ":N"
    // Kills the server (SIGKILL) and waits until it has gone.
    bool kill();

private:
    test::ChildProcess server_;
    std::string name_;
};

// A program of ours on display `display`, with a home folder of its own and
// its standard error written to `stderrFile`.
struct Launch {
    std::string display;
    std::string home;
    std::string stderrFile;
};
std::vector<std::string> commandLine(const Launch& launch, const std::vector<std::string>& argv);

// Output of a shell command, trailing newlines removed.
std::string shell(const std::string& command);
using test::readFile;
using test::writeFile;

// The visible window of process `pid` titled "Tervel's Keyloom" (its main
// window or its message box) on `display` (empty: $DISPLAY); 0 when none
// shows within the timeout.
unsigned long windowOf(long pid, double timeoutSeconds = 15, const std::string& display = {});
// Clicks the main window's Run or Stop button (its fixed layout: 49 pixels
// wide at x 152 of the client area, which is the window's bottom 260 pixels;
// Run 49 high at y 16, Stop 113 high at y 72).
void clickButton(const std::string& display, unsigned long window, bool stop);

// A run of a macro in one of our programs on `launch.display`.
struct MacroRun {
    // Starts the keyloom program (`withWindow`, then waits for its main
    // window) or the player, with `args`.
    ::testing::AssertionResult start(const Launch& launch, bool withWindow,
                                     const std::vector<std::string>& args);
    // Waits until the run has put the pointer at `at` (its first entry does),
    // pressing the main window's Run again meanwhile: a click that comes
    // before the window is ready for it is lost.
    ::testing::AssertionResult began(std::pair<int, int> at, double seconds = 60);

    test::ChildProcess process;
    unsigned long window = 0;  // the keyloom program's main window
    Launch launch;
};
// Asks the window to close, as a window manager does for its close box
// (WM_DELETE_WINDOW).
void askToClose(Display* display, unsigned long window);
// The pointer's position on `display`.
std::pair<int, int> pointerOn(const std::string& display);

// What is held on the server now, the keycodes down and the pointer
// buttons; empty when nothing is.
std::string heldInput(Display* display);

}  // namespace keyloom::fault
