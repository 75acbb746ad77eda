// KWin's windows and cursor, through a script of ours that KWin runs for as
// long as the desktop is open (one load, not one per command: a load takes
// about half a second). The script asks a D-Bus object of ours for its next
// command and answers with the command's result in the same call; it tells
// the object where the cursor is whenever it moves. The object lives on a
// thread of its own, so that KWin's calls are answered while the program
// waits or types.
#pragma once

#include <gio/gio.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace keyloom::platform {

class KWinScript {
public:
    // Loads and runs the script in the KWin of the session bus; nothing when
    // that fails, with the reason in `error`.
    static std::unique_ptr<KWinScript> start(std::string* error);
    // Unloads the script.
    ~KWinScript();
    KWinScript(const KWinScript&) = delete;
    KWinScript& operator=(const KWinScript&) = delete;

    struct Window {
        std::string id;
        long pid = 0;
        bool active = false;
        std::string title;
    };
    // The normal windows and dialogs, the topmost first; nothing when KWin
    // did not answer.
    std::optional<std::vector<Window>> windows();
    // Makes the window with this id the active one; whether it is.
    bool activate(const std::string& id);
    // Where the cursor was when it last moved.
    std::optional<Point> cursor();

    // The connection to the session bus.
    GDBusConnection* bus();

    struct Channel;  // the object and its thread

private:
    explicit KWinScript(std::unique_ptr<Channel> channel);
    std::unique_ptr<Channel> channel_;
};

}  // namespace keyloom::platform
