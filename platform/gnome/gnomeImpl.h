// State of the GNOME desktop shared by its source files.
#pragma once

#include <gio/gio.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/gnome/gnomeDesktop.h"
#include "platform/linux/evdevInput.h"
#include "platform/runStops.h"

namespace keyloom::platform {

inline constexpr const char* kMutter = "org.gnome.Mutter.RemoteDesktop";
inline constexpr const char* kMutterPath = "/org/gnome/Mutter/RemoteDesktop";
inline constexpr const char* kSessionInterface = "org.gnome.Mutter.RemoteDesktop.Session";
inline constexpr std::uint32_t kCapsLock = 0xffe5;

struct GnomeDesktop::Impl {
    ~Impl();

    // A method call on the session bus, waited for; nullptr on failure (the
    // error's text in `error` when given). `args` is consumed.
    GVariant* call(const char* service, const char* path, const char* interface,
                   const char* method, GVariant* args, const char* replyType,
                   std::string* error = nullptr);
    // A method of the RemoteDesktop session; false on failure (the error's
    // text in `error` when given).
    bool session(const char* method, GVariant* args, std::string* error = nullptr);
    // Creates and starts the RemoteDesktop session, with a screen cast of
    // every monitor for absolute pointer moves, else without (gnomePointer.cpp).
    bool startSession(std::string* error);
    // A method of the extension; nullptr without it or on failure.
    GVariant* extension(const char* method, GVariant* args, const char* replyType);
    // Lets the signals that arrived run (the clipboard's requests).
    void dispatch();

    void keysym(std::uint32_t keysym, bool press);
    // Mutter hands the input sent to an input thread of its own, which gives
    // it back to the shell's main loop later: what goes through the shell
    // (text, a sync, the cursor position) waits until the input sent before
    // has come through, told by the extension's barrier key (else after a
    // while).
    void settle();
    void inputSent();
    void releaseAll();

    // Reads the layout in use into `layoutKeysyms` (gnomeText.cpp).
    void readLayout();
    // Gets `text` to the focused program by the extension's commit, else by
    // the clipboard; false when neither took it.
    bool deliver(const std::string& text);
    bool paste(const std::string& text);

    GMainContext* context = nullptr;  // of the connection's signals
    GDBusConnection* bus = nullptr;
    std::string sessionPath;
    // The monitors' screen-cast streams, by which the pointer is put at a
    // place; none when mutter could not cast (no PipeWire), with the reason
    // in `relativePointer`.
    struct Stream {
        std::string path;
        int x = 0, y = 0, width = 0, height = 0;
    };
    std::vector<Stream> streams;
    std::string relativePointer;
    bool hasShell = false;  // gnome-shell, not mutter alone
    bool hasExtension = false;
    // The lock keys this desktop turned on, for when no extension tells.
    std::set<std::uint32_t> locksOn;
    Point cursor;  // where this desktop last put the pointer
    std::set<std::uint32_t> keysDown;
    std::set<std::int32_t> buttonsDown;
    // The first window id a started program may own, by process id.
    std::map<long, std::uint64_t> started;
    std::string failure;  // of the last typeKeys
    RunStopListener runStops;  // from the first claim to the end of the run
    std::unique_ptr<EvdevInput> input;  // other programs' keys, where readable
    std::string inputUnseen;            // why they are not
    std::chrono::steady_clock::time_point lastInput;
    bool unsettled = false;  // input sent since the last settle

    // The layout mutter types with: the keysyms it types (gnomeText.cpp).
    std::string layoutName;
    xkb_context* xkb = nullptr;
    std::set<std::uint32_t> layoutKeysyms;

    // The clipboard, once it is used (gnomeText.cpp).
    bool clipboardEnabled = false;
    guint transferSignal = 0;
    std::string offered;  // what this session's selection holds
    unsigned transfers = 0;
};

}  // namespace keyloom::platform
