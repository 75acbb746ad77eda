// State of the X11 desktop shared by its source files.
#pragma once

#include <X11/Xlib.h>

#include <map>
#include <memory>

#include "platform/runStops.h"
#include "platform/x11/x11Desktop.h"
#include "platform/x11/x11DisplayLoss.h"

namespace keyloom::platform {

// Keycodes found for keysyms, and keysyms bound to spare keycodes because the
// current keyboard map lacks them.
class Keymap {
public:
    explicit Keymap(Display* display) : display_(display) {}
    ~Keymap() { giveBack(); }
    // A keycode that produces `keysym` (at some shift level); binds a spare
    // keycode to it when the map has none. 0 when no keycode can be had.
    KeyCode keycodeFor(KeySym keysym);
    // Forgets what was looked up: the map changed.
    void invalidate() { found_.clear(); }
    // Gives the spare keycodes bound here their empty mapping back, once the
    // focused program can have read their last use.
    void giveBack();

private:
    KeyCode bindSpare(KeySym keysym);

    Display* display_;
    std::map<KeySym, KeyCode> found_;
    std::map<KeyCode, KeySym> bound_;  // spare keycodes we bound, restored on close
};

// Key and button state read for the recorder (x11KeyState.cpp): its own
// connection, opened at the first query.
class KeyState;
// Typing of key strings (x11Typist.h) and the stop key (x11StopKey.h),
// made at their first use.
class Typist;
class StopKey;

struct X11Desktop::Impl {
    explicit Impl(Display* d) : display(d), keymap(d) {}
    Display* display;
    Window root = 0;
    Keymap keymap;
    std::shared_ptr<KeyState> keyState;
    std::shared_ptr<Typist> typist;
    std::shared_ptr<StopKey> stopKey;
    // The owner of the selection that marks a run on this display (made at
    // the first claim), and whether it owns it now.
    Window runOwner = 0;
    Atom runSelection = 0;
    bool runClaimed = false;
    RunStopListener runStops;  // from the first claim to the end of the run
    // Ends the program when the server goes away (destroyed first).
    std::unique_ptr<DisplayWatch> watch;
};

}  // namespace keyloom::platform
