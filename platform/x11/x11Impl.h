// State of the X11 desktop shared by its source files.
#pragma once

#include <X11/Xlib.h>

#include <map>
#include <memory>

#include "platform/runStops.h"
#include "platform/x11/x11Desktop.h"
#include "platform/x11/x11DisplayLoss.h"
#include "platform/x11/x11SpareKeys.h"

namespace keyloom::platform {

// Keycodes found for keysyms; a keysym the keyboard map lacks gets a spare
// keycode of its own (all levels) from the desktop's one allocator.
class Keymap {
public:
    Keymap(Display* display, SpareKeys& spares) : display_(display), spares_(spares) {}
    // A keycode that produces `keysym` (at some shift level); binds a spare
    // keycode to it when the map has none. 0 when no keycode can be had.
    KeyCode keycodeFor(KeySym keysym);
    // Forgets what was looked up: the map changed, or the spare keycodes
    // were given back.
    void invalidate() { found_.clear(); }

private:
    Display* display_;
    SpareKeys& spares_;
    std::map<KeySym, KeyCode> found_;
};

// Key and button state read for the recorder (x11KeyState.cpp): its own
// connection, opened at the first query.
class KeyState;
// Typing of key strings (x11Typist.h) and the stop key (x11StopKey.h),
// made at their first use.
class Typist;
class StopKey;

struct X11Desktop::Impl {
    explicit Impl(Display* d) : display(d), spares(d, pace), keymap(d, spares) {}
    Display* display;
    Window root = 0;
    // When the focused program will have read what was sent, and the spare
    // keycodes bound for keys and characters the map lacks: given back at
    // the end of each run and when the desktop closes.
    ReadPace pace;
    SpareKeys spares;
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
