#include "x11/support/rawInput.h"

#include <X11/Xatom.h>
#include <X11/extensions/XInput2.h>
#include <time.h>

#include <algorithm>

#include "x11/support/childProcess.h"

namespace keyloom::test {

std::string RawEvent::describe() const {
    return std::string(press ? "down " : "up ") + (key ? "key " : "button ") +
           std::to_string(detail);
}

RawInputLog::RawInputLog() : display_(XOpenDisplay(nullptr)) {
    int event = 0, error = 0, major = 2, minor = 2;  // 2.1+: raw events also during grabs
    if (display_ == nullptr) return;
    if (!XQueryExtension(display_, "XInputExtension", &opcode_, &event, &error) ||
        XIQueryVersion(display_, &major, &minor) != Success) {
        XCloseDisplay(display_);
        display_ = nullptr;
        return;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XISetMask(bits, XI_RawButtonPress);
    XISetMask(bits, XI_RawButtonRelease);
    XISelectEvents(display_, DefaultRootWindow(display_), &mask, 1);
    XSync(display_, False);
}

RawInputLog::~RawInputLog() {
    if (display_ != nullptr) XCloseDisplay(display_);
}

std::vector<RawEvent> RawInputLog::take(std::size_t atLeast, double timeoutSeconds) {
    std::vector<RawEvent> events;
    if (display_ == nullptr) return events;
    const double deadline = monotonicNow() + timeoutSeconds;
    XSync(display_, False);
    while (XPending(display_) > 0 || (events.size() < atLeast && monotonicNow() < deadline)) {
        if (XPending(display_) == 0) {
            timespec pause{0, 1'000'000};
            nanosleep(&pause, nullptr);
            XSync(display_, False);
            continue;
        }
        XEvent event;
        XNextEvent(display_, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != opcode_ ||
            !XGetEventData(display_, cookie))
            continue;
        const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
        RawEvent e;
        e.press = cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawButtonPress;
        e.key = cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawKeyRelease;
        e.detail = static_cast<unsigned>(raw->detail);
        events.push_back(e);
        XFreeEventData(display_, cookie);
    }
    return events;
}

std::vector<Window> clientWindows(Display* display) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<Window> windows;
    if (XGetWindowProperty(display, DefaultRootWindow(display),
                           XInternAtom(display, "_NET_CLIENT_LIST", False), 0, 4096, False,
                           XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
        data != nullptr && format == 32) {
        const auto* ids = reinterpret_cast<const unsigned long*>(data);
        windows.assign(ids, ids + count);
    }
    if (data != nullptr) XFree(data);
    return windows;
}

std::string windowTitle(Display* display, Window window) {
    Atom type = 0;
    int format = 0;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 1024,
                           False, XInternAtom(display, "UTF8_STRING", False), &type, &format, &n,
                           &after, &data) == Success &&
        data != nullptr)
        title.assign(reinterpret_cast<char*>(data), n);
    if (data != nullptr) XFree(data);
    char* old = nullptr;
    if (title.empty() && XFetchName(display, window, &old) != 0 && old != nullptr) {
        title = old;
        XFree(old);
    }
    return title;
}

Window activeWindow(Display* display) {
    Atom type = 0;
    int format = 0;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    Window w = 0;
    if (XGetWindowProperty(display, DefaultRootWindow(display),
                           XInternAtom(display, "_NET_ACTIVE_WINDOW", False), 0, 1, False, XA_WINDOW,
                           &type, &format, &n, &after, &data) == Success &&
        data != nullptr && n == 1)
        w = *reinterpret_cast<Window*>(data);
    if (data != nullptr) XFree(data);
    return w;
}

void closeWindow(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_CLOSE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = CurrentTime;
    event.xclient.data.l[1] = 2;
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XSync(display, False);
}

int closeWindowsOpenedSince(Display* display, const std::vector<Window>& before,
                            double settleSeconds) {
    auto opened = [&] {
        std::vector<Window> extra;
        for (Window w : clientWindows(display))
            if (std::find(before.begin(), before.end(), w) == before.end()) extra.push_back(w);
        return extra;
    };
    const double deadline = monotonicNow() + settleSeconds;
    std::vector<Window> extra = opened();
    while (extra.empty() && monotonicNow() < deadline) {
        timespec pause{0, 20'000'000};
        nanosleep(&pause, nullptr);
        extra = opened();
    }
    for (Window w : extra) closeWindow(display, w);
    // Wait until they are gone, so that the next test finds the screen clear.
    const double gone = monotonicNow() + 10;
    while (!opened().empty() && monotonicNow() < gone) {
        timespec pause{0, 10'000'000};
        nanosleep(&pause, nullptr);
    }
    return static_cast<int>(extra.size());
}

}  // namespace keyloom::test
