// Finding and activating top-level windows.
//
// With a window manager (EWMH): its client list gives the windows, and it is
// asked to activate one (_NET_ACTIVE_WINDOW, as a pager would). Without one,
// the viewable children of the root are the windows; one is raised and given
// the input focus directly.
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>

#include <time.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/x11/x11ErrorTrap.h"
#include "platform/x11/x11Impl.h"
#include "platform/x11/x11Windows.h"
#include "platform/linux/launch.h"
#include "platform/linux/titleMatch.h"

namespace keyloom::platform {
namespace {

// A top-level window: the client window with its title and properties, and
// the window to raise (its frame without a window manager).
struct TopLevel {
    Window client = 0;
    Window top = 0;
};

Atom atom(Display* display, const char* name) { return XInternAtom(display, name, False); }

}  // namespace

std::vector<unsigned long> longProperty(Display* display, Window window, Atom property, Atom type) {
    std::vector<unsigned long> out;
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 1 << 16, False, type, &actualType, &format,
                           &count, &after, &data) == Success &&
        data != nullptr && format == 32) {
        auto* items = reinterpret_cast<unsigned long*>(data);
        out.assign(items, items + count);
    }
    if (data != nullptr) XFree(data);
    return out;
}

namespace {

bool hasProperty(Display* display, Window window, Atom property) {
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, window, property, 0, 0, False, AnyPropertyType, &actualType,
                       &format, &count, &after, &data);
    if (data != nullptr) XFree(data);
    return actualType != None;
}

}  // namespace

std::string windowTitle(Display* display, Window window) {
    Atom utf8 = atom(display, "UTF8_STRING");
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string out;
    if (XGetWindowProperty(display, window, atom(display, "_NET_WM_NAME"), 0, 1 << 16, False, utf8,
                           &actualType, &format, &count, &after, &data) == Success &&
        data != nullptr && actualType == utf8 && format == 8) {
        out.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
        return out;
    }
    if (data != nullptr) XFree(data);
    XTextProperty text{};
    if (XGetWMName(display, window, &text) == 0 || text.value == nullptr) return out;
    char** list = nullptr;
    int n = 0;
    if (Xutf8TextPropertyToTextList(display, &text, &list, &n) >= Success && list != nullptr) {
        if (n > 0 && list[0] != nullptr) out = list[0];
        XFreeStringList(list);
    }
    XFree(text.value);
    return out;
}

namespace {

// The window manager's check window, when an EWMH window manager runs.
bool hasWindowManager(Display* display, Window root) {
    Atom check = atom(display, "_NET_SUPPORTING_WM_CHECK");
    auto wm = longProperty(display, root, check, XA_WINDOW);
    if (wm.empty()) return false;
    auto self = longProperty(display, wm[0], check, XA_WINDOW);
    return !self.empty() && self[0] == wm[0];
}

// The client window inside a frame: the first window below `frame` that
// carries WM_STATE; nothing when none does.
Window clientInside(Display* display, Window frame, Atom wmState, int depth = 0) {
    if (hasProperty(display, frame, wmState)) return frame;
    if (depth > 4) return 0;
    Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    if (XQueryTree(display, frame, &rootReturn, &parent, &children, &n) == 0) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < n && found == 0; ++i)
        found = clientInside(display, children[i], wmState, depth + 1);
    if (children != nullptr) XFree(children);
    return found;
}

// The top-level windows, the topmost first.
std::vector<TopLevel> topLevels(Display* display, Window root, bool managed) {
    std::vector<TopLevel> out;
    if (managed) {
        auto list = longProperty(display, root, atom(display, "_NET_CLIENT_LIST_STACKING"), XA_WINDOW);
        if (list.empty()) list = longProperty(display, root, atom(display, "_NET_CLIENT_LIST"), XA_WINDOW);
        for (auto it = list.rbegin(); it != list.rend(); ++it) out.push_back({*it, *it});
        return out;
    }
    Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &n) == 0) return out;
    Atom wmState = atom(display, "WM_STATE");
    for (unsigned int i = n; i-- > 0;) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, children[i], &attributes) == 0) continue;
        if (attributes.map_state != IsViewable || attributes.override_redirect) continue;
        Window client = clientInside(display, children[i], wmState);
        out.push_back({client != 0 ? client : children[i], children[i]});
    }
    if (children != nullptr) XFree(children);
    return out;
}

// Whether the input focus is in `window` (itself, or a window inside it).
bool holdsFocus(Display* display, Window window) {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    for (int depth = 0; focus != 0 && focus != PointerRoot && depth < 8; ++depth) {
        if (focus == window) return true;
        Window rootReturn = 0, parent = 0, *children = nullptr;
        unsigned int n = 0;
        if (XQueryTree(display, focus, &rootReturn, &parent, &children, &n) == 0) return false;
        if (children != nullptr) XFree(children);
        if (parent == rootReturn) return false;
        focus = parent;
    }
    return false;
}

// Keys sent right after an activation must reach the window: wait a little
// for the window manager to move the focus. A window manager that refuses
// (a modal dialog elsewhere) does not hold the run up for long.
void awaitFocus(Display* display, const TopLevel& window) {
    constexpr int kPolls = 200;  // of 1 ms
    for (int i = 0; i < kPolls && !holdsFocus(display, window.top) && !holdsFocus(display, window.client); ++i) {
        timespec pause{0, 1000000};
        nanosleep(&pause, nullptr);
    }
}

void activate(Display* display, Window root, const TopLevel& window, bool managed) {
    if (managed) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window.client;
        event.xclient.message_type = atom(display, "_NET_ACTIVE_WINDOW");
        event.xclient.format = 32;
        event.xclient.data.l[0] = 2;  // the request comes from a pager: no focus-stealing checks
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    } else {
        XRaiseWindow(display, window.top);
        XSetInputFocus(display, window.client, RevertToParent, CurrentTime);
    }
    XFlush(display);
    awaitFocus(display, window);
}

// The process of a window: _NET_WM_PID, else the X-Resource extension's
// answer for the client that made the window. 0 when neither knows.
long processOf(Display* display, Window window) {
    auto pid = longProperty(display, window, atom(display, "_NET_WM_PID"), XA_CARDINAL);
    if (!pid.empty()) return static_cast<long>(pid[0]);
    XResClientIdSpec idSpec{window, XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue* ids = nullptr;
    long found = 0;
    if (XResQueryClientIds(display, 1, &idSpec, &count, &ids) == Success) {
        for (long i = 0; i < count && found <= 0; ++i) found = XResGetClientPid(&ids[i]);
        XResClientIdsDestroy(count, ids);
    }
    return found > 0 ? found : 0;
}

}  // namespace

bool X11Desktop::activateWindow(const std::string& wanted) {
    if (wanted.empty()) return false;
    Display* display = impl_->display;
    ErrorTrap trap(display);
    bool managed = hasWindowManager(display, impl_->root);
    std::vector<TopLevel> windows = topLevels(display, impl_->root, managed);
    std::vector<std::string> titles;
    titles.reserve(windows.size());
    for (const TopLevel& w : windows) titles.push_back(windowTitle(display, w.client));
    auto match = matchTitle(titles, wanted);
    if (!match) return false;
    activate(display, impl_->root, windows[*match], managed);
    return !trap.failed();
}

bool X11Desktop::activateProcessWindow(long pid) {
    if (pid <= 0) return false;
    Display* display = impl_->display;
    ErrorTrap trap(display);
    bool managed = hasWindowManager(display, impl_->root);
    for (const TopLevel& w : topLevels(display, impl_->root, managed)) {
        long owner = processOf(display, w.client);
        if (owner > 0 && descendsFrom(owner, pid)) {
            activate(display, impl_->root, w, managed);
            return !trap.failed();
        }
    }
    return false;
}

}  // namespace keyloom::platform
