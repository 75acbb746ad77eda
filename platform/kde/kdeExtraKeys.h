// Keysyms the user's layout lacks, put on keys it leaves empty through an
// XKB option of our own: KWin compiles its keyboard map from kxkbrc, and
// libxkbcommon reads rules and symbols from ~/.config/xkb as well (when that
// folder existed as KWin started). The option is added to kxkbrc while a run
// needs it; afterwards kxkbrc is as it was, byte for byte, and KWin reloads it.
#pragma once

#include <gio/gio.h>

#include <map>
#include <optional>
#include <string>

namespace keyloom::platform {

class ExtraKeys {
public:
    explicit ExtraKeys(GDBusConnection* bus) : bus_(bus) {}
    ~ExtraKeys() { restore(); }
    ExtraKeys(const ExtraKeys&) = delete;
    ExtraKeys& operator=(const ExtraKeys&) = delete;

    // Puts these keysyms on these keys (by XKB key name) and has KWin
    // reload its map; false, with the reason, when that cannot be done.
    bool bind(const std::map<std::string, std::uint32_t>& keys, std::string* error);
    // kxkbrc and ~/.config/xkb as they were before the first bind.
    void restore();

private:
    void reload();

    GDBusConnection* bus_;
    bool bound_ = false;
    std::optional<std::string> kxkbrc_;  // its content before; nothing when it had none
    bool madeRules_ = false;
};

}  // namespace keyloom::platform
