// Direct looks at the X server's input state, and guards that put it back,
// for tests that check what a run leaves behind. One Xvfb serves every test of
// a ctest run, so each test leaves keys, buttons, locks and the pointer
// mapping as it found them.
#pragma once

#include <X11/Xlib.h>

#include <array>
#include <string>
#include <vector>

namespace keyloom::test {

// A connection of the test's own; the display of $DISPLAY.
class XConnection {
public:
    XConnection();
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
// A keycode that gives `keysym`, 0 when the map has none.
unsigned keycodeOf(Display* display, unsigned long keysym);
// Whether the keyboard indicator of that name ("Caps Lock", "Num Lock",
// "Scroll Lock") is lit.
bool indicatorOn(Display* display, const char* name);
// The locked modifiers of the core keyboard.
unsigned lockedModifiers(Display* display);
// The modifier bit that `keysym` (Num_Lock, Scroll_Lock) locks; 0 when none.
unsigned modifierOf(Display* display, unsigned long keysym);

// Whether the pointer mapping swaps the primary and secondary buttons.
bool buttonsSwapped(Display* display);
// Swaps (or restores) buttons 1 and 3 of the pointer mapping.
void swapButtons(Display* display, bool swapped);

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
