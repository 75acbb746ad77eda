#include "x11/support/xState.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace keyloom::test {

XConnection::XConnection() : display_(XOpenDisplay(nullptr)) {}

XConnection::~XConnection() {
    if (display_ != nullptr) XCloseDisplay(display_);
}

std::vector<unsigned> keysDown(Display* display) {
    char keys[32] = {};
    XQueryKeymap(display, keys);
    std::vector<unsigned> down;
    for (unsigned code = 0; code < 256; ++code)
        if ((static_cast<unsigned char>(keys[code / 8]) >> (code % 8)) & 1U) down.push_back(code);
    return down;
}

unsigned buttonsDown(Display* display) {
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &winX,
                  &winY, &mask);
    return mask & (Button1Mask | Button2Mask | Button3Mask | Button4Mask | Button5Mask);
}

unsigned keycodeOf(Display* display, unsigned long keysym) {
    return XKeysymToKeycode(display, keysym);
}

bool indicatorOn(Display* display, const char* name) {
    Atom atom = XInternAtom(display, name, False);
    Bool on = False;
    XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr);
    return on != False;
}

unsigned lockedModifiers(Display* display) {
    XkbStateRec state{};
    XkbGetState(display, XkbUseCoreKbd, &state);
    return state.locked_mods;
}

unsigned modifierOf(Display* display, unsigned long keysym) {
    return XkbKeysymToModifiers(display, keysym);
}

bool buttonsSwapped(Display* display) {
    unsigned char map[32] = {};
    int n = XGetPointerMapping(display, map, 32);
    return n >= 3 && map[0] == 3;
}

void swapButtons(Display* display, bool swapped) {
    unsigned char map[32] = {};
    int n = XGetPointerMapping(display, map, 32);
    if (n < 3) return;
    map[0] = swapped ? 3 : 1;
    map[2] = swapped ? 1 : 3;
    // The server refuses a new mapping while a button is down.
    while (XSetPointerMapping(display, map, n) == MappingBusy) {
        for (unsigned b = 1; b <= 5; ++b) XTestFakeButtonEvent(display, b, False, CurrentTime);
        XSync(display, False);
    }
    XSync(display, False);
}

InputStateGuard::InputStateGuard(Display* display) : display_(display) {
    mappingSize_ = XGetPointerMapping(display_, mapping_.data(), static_cast<int>(mapping_.size()));
    reset();
}

InputStateGuard::~InputStateGuard() {
    reset();
    if (mappingSize_ > 0) {
        XSetPointerMapping(display_, mapping_.data(), mappingSize_);
        XSync(display_, False);
    }
}

void InputStateGuard::reset() {
    for (unsigned code : keysDown(display_)) XTestFakeKeyEvent(display_, code, False, CurrentTime);
    // XTest presses physical buttons; release every one.
    for (unsigned b = 1; b <= 5; ++b) XTestFakeButtonEvent(display_, b, False, CurrentTime);
    XkbLockModifiers(display_, XkbUseCoreKbd, 0xff, 0);
    XSync(display_, False);
}

}  // namespace keyloom::test
