// Input as a user gives it: XTest key and button events on the test's own
// connection, synced so that the server has them before the test goes on.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <initializer_list>

#include "x11/support/xState.h"

namespace keyloom::test {

class UserInput {
public:
    explicit UserInput(Display* display) : display_(display) {}

    void moveTo(int x, int y) {
        XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
        XSync(display_, False);
    }
    void button(unsigned physical, bool down) {
        XTestFakeButtonEvent(display_, physical, down ? True : False, CurrentTime);
        XSync(display_, False);
    }
    void click(unsigned physical = 1) {
        button(physical, true);
        button(physical, false);
    }
    void key(KeySym keysym, bool down) {
        XTestFakeKeyEvent(display_, keycodeOf(display_, keysym), down ? True : False, CurrentTime);
        XSync(display_, False);
    }
    // Presses the keys in order and releases them in reverse: a chord such as Ctrl+C.
    void chord(std::initializer_list<KeySym> keys) {
        for (KeySym k : keys) key(k, true);
        for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) key(*it, false);
    }

private:
    Display* display_;
};

}  // namespace keyloom::test
