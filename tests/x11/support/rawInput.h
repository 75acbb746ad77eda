// Every key and button event the server processes, whoever receives it:
// XInput 2 raw events on a connection of its own. For keys a window manager
// takes for itself (Print under openbox), which the probe never sees.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace keyloom::test {

struct RawEvent {
    bool press = false;
    bool key = false;  // else a button
    unsigned detail = 0;  // keycode, or physical button number
    std::string describe() const;  // "down key 107", "up button 3"
};

class RawInputLog {
public:
    RawInputLog();
    ~RawInputLog();
    RawInputLog(const RawInputLog&) = delete;
    RawInputLog& operator=(const RawInputLog&) = delete;
    explicit operator bool() const { return display_ != nullptr; }

    // The events processed since the log began or since the last call; input
    // sent on another connection is covered once that connection has synced.
    // Events held back by a window manager's grab come later: `atLeast`
    // waits (up to `timeoutSeconds`) until that many have come.
    std::vector<RawEvent> take(std::size_t atLeast = 0, double timeoutSeconds = 30);

private:
    Display* display_ = nullptr;
    int opcode_ = 0;
};

// The managed top-level windows (_NET_CLIENT_LIST of the window manager).
std::vector<Window> clientWindows(Display* display);
// The title of `window` (_NET_WM_NAME, else WM_NAME); empty when it has none.
std::string windowTitle(Display* display, Window window);
// The window the window manager says is active; 0 when none.
Window activeWindow(Display* display);
// Asks the window manager to close `window` (_NET_CLOSE_WINDOW).
void closeWindow(Display* display, Window window);
// Closes the managed windows that are not in `before`, waiting up to
// `settleSeconds` for one to appear (a window manager's error prompt, a
// screenshot tool); returns how many it closed.
int closeWindowsOpenedSince(Display* display, const std::vector<Window>& before,
                            double settleSeconds);

}  // namespace keyloom::test
