// The probe window run from a test (tests/probe on X11, tests/wayland/probe,
// tests/windows/probe: the same lines): start it, wait until it holds the
// focus, read what it received.
//
//     ProbeProcess probe("keyloom probe");
//     ASSERT_TRUE(probe.start()) << probe.error();
//     ... send input, then make sure the server has it (XSync) ...
//     std::vector<ProbeEvent> got = probe.sync();   // every event so far
//
// `sync()` is a barrier: the probe answers it only after printing every event
// the server sent it before. Input sent on another connection is covered once
// that connection has synced (X11Desktop::sync, XSync). The Windows probe
// has no barrier: tests there read until what they expect has come.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/childProcess.h"

namespace keyloom::test {

// One line of the probe.
struct ProbeEvent {
    std::string kind;  // "KeyPress", "KeyRelease", "ButtonPress", "ButtonRelease",
                       // "MotionNotify", "ready", "synced"; the Wayland probe's
                       // "FocusIn", "FocusOut"; the Windows probe's "Char"
    unsigned keycode = 0;
    unsigned long keysym = 0;
    std::string name;  // keysym name
    unsigned state = 0;
    unsigned button = 0;
    int x = 0;  // root coordinates
    int y = 0;
    unsigned long time = 0;
    int width = 0;  // "ready": the window's size
    int height = 0;
    std::string line;  // as printed

    bool isKey() const { return kind == "KeyPress" || kind == "KeyRelease"; }
    bool isButton() const { return kind == "ButtonPress" || kind == "ButtonRelease"; }
    bool isPress() const { return kind == "KeyPress" || kind == "ButtonPress"; }
};

ProbeEvent parseProbeLine(const std::string& line);

// Key and button events only, in order.
std::vector<ProbeEvent> keysAndButtons(const std::vector<ProbeEvent>& events);

class ProbeProcess {
public:
    // `options`: the probe's ("--geometry WxH+X+Y", "--batch": lines written
    // out per burst); `program`: another probe that speaks the same lines
    // (empty: keyloom-probe).
    explicit ProbeProcess(std::string title, std::vector<std::string> options = {},
                          std::string program = {});

    // Starts the probe and waits for "ready": false when it does not come
    // within the timeout (the reason in `error()`).
    bool start(double timeoutSeconds = 60);
    const std::string& error() const { return error_; }

    // The window in root coordinates, from the "ready" line.
    int left() const { return ready_.x; }
    int top() const { return ready_.y; }
    int centerX() const { return left() + ready_.width / 2; }
    int centerY() const { return top() + ready_.height / 2; }

    // Reads events until one satisfies `stop` (it is the last one returned);
    // `*found` tells whether it came before the timeout.
    std::vector<ProbeEvent> readUntil(const std::function<bool(const ProbeEvent&)>& stop,
                                      double timeoutSeconds = 30, bool* found = nullptr);
    // Every event the probe received up to now (see above); `*done` is false
    // when the probe did not answer within the timeout.
    std::vector<ProbeEvent> sync(double timeoutSeconds = 30, bool* done = nullptr);

    // Ends the probe (a line on its input) and returns its exit status.
    std::optional<int> stop();

private:
    std::string title_;
    std::vector<std::string> options_;
    std::string program_;
    ChildProcess process_;
    ProbeEvent ready_;
    std::string error_;
};

// The paths of the player and the probe (set by the build).
std::string playerPath();
std::string probePath();

}  // namespace keyloom::test
