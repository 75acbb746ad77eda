// Which key, and which shift level of it, types a character on the current
// keyboard map: read from the XKB map of the active group.
#pragma once

#include <X11/Xlib.h>

#include <optional>
#include <set>
#include <unordered_map>

namespace keyloom::platform {

struct CharKey {
    KeyCode keycode = 0;
    // Real modifiers that select the level: Shift and the modifiers of the
    // ISO_Level3_Shift and ISO_Level5_Shift keys (AltGr).
    unsigned mods = 0;
};

// A key that sets a level modifier while it is down.
struct LevelKey {
    KeyCode keycode = 0;
    unsigned mask = 0;  // the real modifier it sets
};

class CharKeys {
public:
    // Reads the map for `group`, leaving out the keycodes in `skip` (spare
    // keycodes bound for the moment). False when the map cannot be read.
    bool load(Display* display, int group, const std::set<KeyCode>& skip);
    bool loaded() const { return loaded_; }
    int group() const { return group_; }
    void forget() { loaded_ = false; }

    // The key of `ch` at the level with the fewest modifiers; nothing when
    // the map has no key for it that plain level modifiers reach.
    std::optional<CharKey> find(char32_t ch) const;

    const LevelKey& shift() const { return shift_; }
    const LevelKey& level3() const { return level3_; }
    const LevelKey& level5() const { return level5_; }
    // Shift and the masks of the level keys the map has.
    unsigned levelMask() const { return shift_.mask | level3_.mask | level5_.mask; }
    // The real modifiers each keycode sets while down (the modifier map).
    unsigned modifiersOf(KeyCode keycode) const { return modmap_[keycode]; }

private:
    bool loaded_ = false;
    int group_ = 0;
    std::unordered_map<char32_t, CharKey> keys_;
    LevelKey shift_;
    LevelKey level3_;
    LevelKey level5_;
    unsigned char modmap_[256] = {};
};

}  // namespace keyloom::platform
