#include "x11/support/xState.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstring>

#include "platform/x11/x11ErrorTrap.h"
#include "platform/x11/x11StopKey.h"

namespace keyloom::test {

XConnection::XConnection(const std::string& name)
    : display_(XOpenDisplay(name.empty() ? nullptr : name.c_str())) {}

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

std::vector<unsigned long> serverMapping(Display* display) {
    int first = 0, last = 0, per = 0;
    XDisplayKeycodes(display, &first, &last);
    KeySym* syms = XGetKeyboardMapping(display, static_cast<KeyCode>(first), last - first + 1, &per);
    std::vector<unsigned long> out(syms, syms + (last - first + 1) * per);
    XFree(syms);
    return out;
}

std::vector<unsigned long> keysymsOf(Display* display, unsigned keycode) {
    int per = 0;
    KeySym* syms = XGetKeyboardMapping(display, static_cast<KeyCode>(keycode), 1, &per);
    std::vector<unsigned long> out;
    for (int i = 0; syms != nullptr && i < per; ++i)
        if (syms[i] != NoSymbol) out.push_back(syms[i]);
    if (syms != nullptr) XFree(syms);
    return out;
}

std::vector<Window> clientWindows(Display* display) {
    return platform::longProperty(display, DefaultRootWindow(display),
                                  XInternAtom(display, "_NET_CLIENT_LIST", False), XA_WINDOW);
}

Window activeWindow(Display* display) {
    auto active = platform::longProperty(display, DefaultRootWindow(display),
                                         XInternAtom(display, "_NET_ACTIVE_WINDOW", False), XA_WINDOW);
    return active.empty() ? 0 : active[0];
}

// A window listed by the window manager may be gone by the time it is asked
// about (the program of an earlier test ending): the trap keeps that quiet.
Window windowTitled(Display* display, const std::string& title) {
    platform::ErrorTrap trap(display);
    for (Window w : clientWindows(display))
        if (windowTitle(display, w) == title) return w;
    return 0;
}

RealKeyboard::RealKeyboard(Display* display) : display_(display) {
    int count = 0;
    XDeviceInfo* devices = XListInputDevices(display, &count);
    for (int i = 0; i < count && device_ == nullptr; ++i)
        if (devices[i].use == IsXExtensionKeyboard &&
            !platform::isInjectingDevice(devices[i].name) &&
            std::strstr(devices[i].name, "keyboard") != nullptr)
            device_ = XOpenDevice(display, devices[i].id);
    if (devices != nullptr) XFreeDeviceList(devices);
}

RealKeyboard::~RealKeyboard() {
    if (device_ != nullptr) XCloseDevice(display_, device_);
}

void RealKeyboard::tap(KeySym keysym) {
    KeyCode keycode = XKeysymToKeycode(display_, keysym);
    XTestFakeDeviceKeyEvent(display_, device_, keycode, True, nullptr, 0, CurrentTime);
    XTestFakeDeviceKeyEvent(display_, device_, keycode, False, nullptr, 0, CurrentTime);
    XSync(display_, False);
}

}  // namespace keyloom::test
