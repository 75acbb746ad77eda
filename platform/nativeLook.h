// Where the windows depart from the desktop theme to start faster and stay
// lighter, and work the toolkit would otherwise do on the way to the first
// window. GTK only: elsewhere these do nothing.
#pragma once

#include <string>
#include <thread>

namespace keyloom::platform {

#ifdef _WIN32

class FontPreload {};
inline void loadStyleSheet() {}
inline std::string desktopFont() { return {}; }
inline void addStyleClass(void*, const char*) {}

#else

// Reads the font configuration on a thread of its own from construction on,
// while the toolkit loads its theme and builds the first window; the first
// text on screen then finds it read. Joined on destruction. Start it after
// the toolkit, which changes the environment that the font configuration
// reads.
class FontPreload {
public:
    FontPreload();
    ~FontPreload();
    FontPreload(const FontPreload&) = delete;
    FontPreload& operator=(const FontPreload&) = delete;

private:
    std::thread thread_;
};

// Loads the program's style sheet for every window; once, after the toolkit
// has started.
void loadStyleSheet();

// The desktop's font as the toolkit describes it ("DejaVu Sans 10"), read
// from the toolkit's settings; empty where there is nothing to read.
std::string desktopFont();

// Gives a native widget (a window's handle) one of the style sheet's classes;
// it applies to the widget and everything inside it.
void addStyleClass(void* nativeWidget, const char* styleClass);

#endif

// The class of the main window's controls.
inline constexpr const char* kCompactStyle = "keyloom-compact";

}  // namespace keyloom::platform
