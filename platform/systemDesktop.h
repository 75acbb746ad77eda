// What the programs take from the system they run on: its desktop, their
// arguments, the standard output. Windows, or Linux (one source file each);
// on Linux the desktop is chosen at run time: X11 or Wayland.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace keyloom::platform {

// One thing a desktop backend can or cannot do, for the player's --desktop.
struct Ability {
    std::string what;  // "keys", "text", "pointer", "activation", ...
    bool can = true;
    std::string why;  // why not, when it cannot; how, when it can only in part
};

// Every ability a desktop may have, all present; a backend marks what it lacks.
inline std::vector<Ability> allAbilities() {
    std::vector<Ability> all;
    for (const char* what :
         {"keys", "text", "pointer", "activation", "cursor position", "stop key", "recording"})
        all.push_back({what, true, ""});
    return all;
}

// The desktop the programs act on, and what it is.
struct SystemDesktop {
    // Nothing when no desktop can be reached, with the reason in `error`.
    // Destroying it sends whatever it still has queued.
    std::unique_ptr<Desktop> desktop;
    std::string error;
    std::string name;  // the backend: "x11", "wayland-wlroots", "win32"
    std::vector<Ability> abilities;
    // Said once to the user when the desktop that the session asks for
    // cannot be used and another one stands in; empty otherwise.
    std::string notice;
};

// Opens the desktop of the session. On Linux: the native Wayland backend
// that the compositor supports when WAYLAND_DISPLAY is set, else X11;
// KEYLOOM_DESKTOP=x11|wayland overrides.
SystemDesktop chooseSystemDesktop();

// chooseSystemDesktop() without the description.
inline std::unique_ptr<Desktop> openSystemDesktop(std::string* error) {
    SystemDesktop chosen = chooseSystemDesktop();
    if (!chosen.desktop && error != nullptr) *error = chosen.error;
    return std::move(chosen.desktop);
}

// The program's arguments in UTF-8, the program's name first. (Windows hands
// `main` its arguments in the ANSI code page; they come from the UTF-16
// command line instead.)
std::vector<std::string> programArguments(int argc, char** argv);

// The standard output writes bytes as they are: a line ends in "\n" on every
// system (no CR LF translation).
void useBinaryStandardOutput();

}  // namespace keyloom::platform
