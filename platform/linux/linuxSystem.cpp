#include <cstdlib>
#include <string_view>

#include "platform/gnome/gnomeDesktop.h"
#include "platform/kde/kdeDesktop.h"
#include "platform/systemDesktop.h"
#include "platform/wayland/waylandDesktop.h"
#include "platform/x11/x11Desktop.h"

namespace keyloom::platform {
namespace {

bool isSet(const char* value) {
    return value != nullptr && *value != '\0';
}

SystemDesktop openX11() {
    SystemDesktop chosen;
    chosen.desktop = X11Desktop::open(nullptr, &chosen.error);
    chosen.name = "x11";
    chosen.abilities = allAbilities();
    return chosen;
}

// The stop key and recording on Wayland: only from the input devices.
void markUnseenInput(std::vector<Ability>& abilities, bool sees, const std::string& unseen) {
    if (sees) return;
    const std::string noKeys = "Wayland shows other programs' keys and buttons to nobody, and " +
                               (unseen.empty() ? std::string("the input devices are not read") : unseen);
    for (Ability& a : abilities)
        if (a.what == "stop key" || a.what == "recording")
            a = {a.what, false, a.what == "stop key" ? noKeys + "; keyloom --stop stops a run" : noKeys};
}

SystemDesktop openWayland(std::string* why) {
    SystemDesktop chosen;
    auto wayland = WaylandDesktop::open(nullptr, why);
    chosen.name = "wayland-wlroots";
    chosen.abilities = allAbilities();
    markUnseenInput(chosen.abilities, wayland && wayland->seesInput(),
                    wayland ? wayland->inputUnseen() : "");
    for (Ability& a : chosen.abilities) {
        if (a.what == "cursor position")
            a = {a.what, false, "no wlroots protocol tells a client where the cursor is"};
        if (a.what == "pointer" && wayland && !wayland->hasPointer())
            a = {a.what, false, "the compositor offers no zwlr_virtual_pointer_v1"};
        if (a.what == "activation" && wayland && !wayland->hasWindowList())
            a = {a.what, false, "the compositor offers no zwlr_foreign_toplevel_manager_v1"};
    }
    chosen.desktop = std::move(wayland);
    return chosen;
}

// GNOME: mutter's RemoteDesktop, and Keyloom's Shell extension for the rest.
SystemDesktop openGnome(std::string* why) {
    SystemDesktop chosen;
    auto gnome = GnomeDesktop::open(why);
    chosen.name = "wayland-gnome";
    chosen.abilities = allAbilities();
    markUnseenInput(chosen.abilities, gnome && gnome->seesInput(),
                    gnome ? gnome->inputUnseen() : "");
    const bool shell = gnome && gnome->hasExtension();
    // Mutter alone (under another shell) has no place for the extension.
    const bool mutterAlone = gnome && !gnome->hasShell();
    const std::string enable = std::string("enable it with: ") + kGnomeExtensionCommand;
    for (Ability& a : chosen.abilities) {
        if (!shell && (a.what == "activation" || a.what == "cursor position"))
            a = {a.what, false,
                 mutterAlone ? "mutter runs without GNOME Shell, which the Keyloom extension needs"
                             : "the Keyloom extension of GNOME Shell is not enabled; " + enable};
        if (a.what == "pointer" && gnome) a.why = gnome->relativePointer();
    }
    if (gnome && !shell && !mutterAlone)
        chosen.notice = "the Keyloom extension of GNOME Shell is not enabled: no window can be "
                        "found or activated, the cursor position is unknown, and text off the "
                        "keyboard layout goes through the clipboard; " + enable +
                        " (after logging in again if it was installed during this session)";
    chosen.desktop = std::move(gnome);
    return chosen;
}

// KWin: nothing, with `*kwin` false, when the compositor is another one.
SystemDesktop openKde(std::string* why, bool* kwin) {
    SystemDesktop chosen;
    auto kde = KdeDesktop::open(why, kwin);
    if (!kde) return chosen;
    chosen.name = "wayland-kde";
    chosen.abilities = allAbilities();
    markUnseenInput(chosen.abilities, kde->seesInput(), kde->inputUnseen());
    const char* noScript = "KWin did not run our script (org.kde.KWin /Scripting)";
    for (Ability& a : chosen.abilities) {
        if ((a.what == "activation" || a.what == "cursor position") && !kde->hasScript())
            a = {a.what, false, noScript};
    }
    chosen.desktop = std::move(kde);
    return chosen;
}

}  // namespace

SystemDesktop chooseSystemDesktop() {
    const char* forced = std::getenv("KEYLOOM_DESKTOP");
    const std::string_view wanted = isSet(forced) ? forced : "";
    if (!wanted.empty() && wanted != "x11" && wanted != "wayland") {
        SystemDesktop none;
        none.error = "KEYLOOM_DESKTOP is \"" + std::string(wanted) + "\": it may be x11 or wayland";
        return none;
    }
    if (wanted == "x11" || (wanted.empty() && !isSet(std::getenv("WAYLAND_DISPLAY"))))
        return openX11();
    std::string why;
    bool kwin = false;
    SystemDesktop wayland = openKde(&why, &kwin);
    if (!kwin) wayland = openWayland(&why);
    if (!kwin && !wayland.desktop && GnomeDesktop::available()) wayland = openGnome(&why);
    if (wayland.desktop || wanted == "wayland") {
        wayland.error = why;
        return wayland;
    }
    SystemDesktop x11 = openX11();
    x11.notice = "no way into this Wayland desktop (" + why +
                 "): using X11 instead, which reaches only the X programs (XWayland)";
    return x11;
}

std::vector<std::string> programArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

// POSIX streams never translate line ends.
void useBinaryStandardOutput() {}

}  // namespace keyloom::platform
