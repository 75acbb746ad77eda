// Asking the window manager for what a user does with the mouse on a
// window's frame: make it the active window, press its close box. Requests go
// to the root window as the desktop standard has them (_NET_ACTIVE_WINDOW,
// _NET_CLOSE_WINDOW); the window manager then focuses the window, or sends it
// WM_DELETE_WINDOW as its close box does.
#pragma once

#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <wx/toplevel.h>

#include <algorithm>

#include "x11/support/xState.h"

namespace keyloom::test {

inline Window xWindowOf(wxTopLevelWindow* window) {
    GdkWindow* gdk = gtk_widget_get_window(GTK_WIDGET(window->GetHandle()));
    return gdk == nullptr ? 0 : gdk_x11_window_get_xid(gdk);
}

// The window manager has taken the window on (it answers requests about it).
inline bool managed(Display* display, wxTopLevelWindow* window) {
    return std::ranges::count(clientWindows(display), xWindowOf(window)) > 0;
}

inline void askWindowManager(Display* display, Window window, const char* request, long data0) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, request, False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = data0;
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XSync(display, False);
}

// The window gets the keyboard focus (source 2: a user's request).
inline void activate(Display* display, wxTopLevelWindow* window) {
    askWindowManager(display, xWindowOf(window), "_NET_ACTIVE_WINDOW", 2);
}

// As a click on the window's close box.
inline void pressCloseBox(Display* display, wxTopLevelWindow* window) {
    askWindowManager(display, xWindowOf(window), "_NET_CLOSE_WINDOW", 2);
}

}  // namespace keyloom::test
