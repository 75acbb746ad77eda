// Properties of windows, as the X11 desktop reads them to find a window.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace keyloom::platform {

// The items of a 32-bit property (windows, cardinals); empty when it is missing.
std::vector<unsigned long> longProperty(Display* display, Window window, Atom property, Atom type);
// The title: _NET_WM_NAME (UTF-8), else WM_NAME in whatever encoding it has.
std::string windowTitle(Display* display, Window window);

}  // namespace keyloom::platform
