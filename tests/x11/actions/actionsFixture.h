// The engine driving the real X11 desktop against real programs: xterm
// running `cat > FILE` and a GTK text field, whose files show what they got.
#pragma once

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XInput.h>

#include <deque>
#include <functional>
#include <sstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "platform/consoleToolkit.h"
#include "platform/x11/x11Desktop.h"
#include "support/fileBytes.h"
#include "x11/support/childProcess.h"
#include "x11/support/rawInput.h"
#include "x11/support/xState.h"

namespace keyloom::test {

// A folder of the test's own, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};


// While it lives, X errors on the calls of `display` are counted instead of
// ending the program: a window listed by the window manager may be gone by
// the time it is asked about (the program of an earlier test ending).
class IgnoreXErrors {
public:
    explicit IgnoreXErrors(Display* display);
    ~IgnoreXErrors();
    IgnoreXErrors(const IgnoreXErrors&) = delete;
    IgnoreXErrors& operator=(const IgnoreXErrors&) = delete;

private:
    Display* display_;
    XErrorHandler previous_ = nullptr;
};

// The managed window with this exact title; 0 when there is none.
Window windowTitled(Display* display, const std::string& title);
// The process that owns `window` (_NET_WM_PID); 0 when it is not known.
long processOfWindow(Display* display, Window window);
// Polls `check` until it holds or `timeoutSeconds` pass.
bool eventually(const std::function<bool()>& check, double timeoutSeconds = 20);

// A program with a text field, started and given the focus.
class TextTarget {
public:
    enum class Kind { Xterm, Gtk };
    TextTarget(Kind kind, std::string title);
    ~TextTarget();
    TextTarget(const TextTarget&) = delete;
    TextTarget& operator=(const TextTarget&) = delete;

    // Starts the program and makes its window the active one.
    bool start(Display* display, std::string* error);
    // Waits until the text received equals `expected`, then returns what was
    // received (also when it never came to equal it).
    std::string waitFor(const std::string& expected, double timeoutSeconds = 20) const;
    std::string text() const { return readFile(file_); }
    Window window() const { return window_; }
    const std::string& title() const { return title_; }
    bool focused(Display* display) const { return activeWindow(display) == window_; }

private:
    Kind kind_;
    std::string title_;
    TempDir dir_;
    std::string file_;
    ChildProcess process_;
    Window window_ = 0;
};

// A toolkit for runs against the real desktop: real time and waits, message
// boxes written down and answered from a script (else OK / No).
class ScriptedToolkit final : public platform::Toolkit {
public:
    double now() override { return console_.now(); }
    void letEventsRun() override {}
    void waitUntil(double deadline) override { console_.waitUntil(deadline); }
    void shortWait(int ms) override { console_.shortWait(ms); }
    platform::MessageAnswer messageBox(const std::string& text, const std::string& title,
                                       platform::MessageStyle style) override;
    std::optional<std::string> fileDialog(platform::DialogKind, const std::string&, int) override {
        return std::nullopt;
    }
    bool showHelp() override { return false; }
    std::optional<std::string> clipboardText() override { return std::nullopt; }
    void setClipboardText(const std::string&) override {}
    platform::StopRequest pendingStop() override { return platform::StopRequest::NoRequest; }

    std::deque<platform::MessageAnswer> answers;
    std::vector<std::string> messages;  // "TITLE: TEXT"

private:
    std::ostringstream sink_;
    platform::ConsoleToolkit console_{sink_};
};

class X11ActionsTest : public ::testing::Test {
public:
    void SetUp() override;
    void TearDown() override;
    // Runs `entries` as the Run button does.
    void play(std::vector<std::string> entries);

    XConnection x;
    std::optional<InputStateGuard> guard;
    std::unique_ptr<platform::X11Desktop> desktop;
    ScriptedToolkit toolkit;
    RunState state;
    VectorList list;
    std::unique_ptr<Engine> engine;
};

// Switches the keyboard layout of the display, and puts the map back as it
// was at the end.
class LayoutGuard {
public:
    explicit LayoutGuard(const std::string& layout);
    ~LayoutGuard();
    LayoutGuard(const LayoutGuard&) = delete;
    LayoutGuard& operator=(const LayoutGuard&) = delete;
    bool ok() const { return ok_; }

private:
    TempDir saved_;
    bool ok_ = false;
};

// The server's own keyboard device ("Xvfb keyboard"): a key sent through
// XTest for that device reaches clients exactly as a press on a real
// keyboard does, from that device.
class RealKeyboard {
public:
    explicit RealKeyboard(Display* display);
    ~RealKeyboard();
    RealKeyboard(const RealKeyboard&) = delete;
    RealKeyboard& operator=(const RealKeyboard&) = delete;
    explicit operator bool() const { return device_ != nullptr; }
    void tap(KeySym keysym);

private:
    Display* display_;
    XDevice* device_ = nullptr;
};

std::string gtkFieldPath();

}  // namespace keyloom::test
