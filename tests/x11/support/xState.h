// Direct looks at the X server's input state, and guards that put it back,
// for tests that check what a run leaves behind. One Xvfb serves every test of
// a ctest run, so each test leaves keys, buttons, locks and the pointer
// mapping as it found them.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XInput.h>

#include <array>
#include <string>
#include <vector>

#include "platform/x11/x11Windows.h"

namespace keyloom::test {

// A connection of the test's own; `name` empty: the display of $DISPLAY.
class XConnection {
public:
    explicit XConnection(const std::string& name = {});
    ~XConnection();
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;
    Display* get() const { return display_; }
    explicit operator bool() const { return display_ != nullptr; }

private:
    Display* display_;
};

// Keycodes that are down now (XQueryKeymap).
std::vector<unsigned> keysDown(Display* display);
// The Button1Mask ... Button5Mask bits of the pointer state now.
unsigned buttonsDown(Display* display);
// The keysyms of every keycode, and of one keycode (NoSymbol left out): asked
// of the server, as a connection's own copy of the map may be old.
std::vector<unsigned long> serverMapping(Display* display);
std::vector<unsigned long> keysymsOf(Display* display, unsigned keycode);

// Whether the pointer mapping swaps the primary and secondary buttons.
bool buttonsSwapped(Display* display);
// Swaps (or restores) buttons 1 and 3 of the pointer mapping.
void swapButtons(Display* display, bool swapped);

// The managed top-level windows (_NET_CLIENT_LIST of the window manager).
std::vector<Window> clientWindows(Display* display);
// The title of `window` (_NET_WM_NAME, else WM_NAME); empty when it has none.
using platform::windowTitle;
// The window the window manager says is active; 0 when none.
Window activeWindow(Display* display);
// The managed window with this exact title; 0 when there is none.
Window windowTitled(Display* display, const std::string& title);

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

// On creation and again on destruction: releases every key and button that is
// down (through XTest), unlocks Caps, Num and Scroll Lock, and puts the pointer
// mapping back as it was at creation.
class InputStateGuard {
public:
    explicit InputStateGuard(Display* display);
    ~InputStateGuard();
    InputStateGuard(const InputStateGuard&) = delete;
    InputStateGuard& operator=(const InputStateGuard&) = delete;

private:
    void reset();
    Display* display_;
    std::array<unsigned char, 32> mapping_{};
    int mappingSize_ = 0;
};

}  // namespace keyloom::test
