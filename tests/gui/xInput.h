// Input as a user gives it: XTest key and button events on the test's own
// connection, synced so that the server has them before the test goes on.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <wx/window.h>

#include <cctype>
#include <functional>
#include <initializer_list>
#include <string>

#include "support/wxHarness.h"
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
    // Onto `window` at (dx, dy) of it, its centre when not given.
    void moveOnto(wxWindow* window, int dx = -1, int dy = -1) {
        wxRect r = window->GetScreenRect();
        moveTo(r.x + (dx < 0 ? r.width / 2 : dx), r.y + (dy < 0 ? r.height / 2 : dy));
    }
    void click(wxWindow* window, int dx = -1, int dy = -1) {
        moveOnto(window, dx, dy);
        pumpFor(0.05);
        click();
    }
    // Double-clicks where the pointer is until `done` holds. A double click
    // that the toolkit did not take as one (its presses stamped too far apart
    // on a busy machine, or too soon after the window appeared) is given
    // again after a pause, so that it makes no triple click, as a user would.
    bool doubleClickUntil(const std::function<bool()>& done) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            click();
            click();
            if (pumpUntil(done, 3)) return true;
            pumpFor(0.6);
        }
        return false;
    }
    void key(KeySym keysym, bool down) {
        XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), down ? True : False,
                          CurrentTime);
        XSync(display_, False);
    }
    // Presses the keys in order and releases them in reverse: a chord such as Ctrl+C.
    void chord(std::initializer_list<KeySym> keys) {
        for (KeySym k : keys) key(k, true);
        for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) key(*it, false);
    }
    // Types ASCII text on the US layout, with Shift for capitals and "_"
    // (the keysyms of ASCII characters are their codes).
    void type(const std::string& text) {
        for (char c : text) {
            if (std::isupper(static_cast<unsigned char>(c)) || c == '_')
                chord({XK_Shift_L, static_cast<KeySym>(c)});
            else
                chord({static_cast<KeySym>(c)});
        }
    }

private:
    Display* display_;
};

}  // namespace keyloom::test
