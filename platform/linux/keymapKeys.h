// Where a keyboard map has each keysym, and which of its keys are empty:
// what the Wayland desktops type with.
#pragma once

#include <xkbcommon/xkbcommon.h>

#include <unordered_map>
#include <vector>

namespace keyloom::platform {

struct MapKey {
    xkb_keycode_t keycode = 0;
    xkb_mod_mask_t mods = 0;  // the level modifiers that reach the keysym
};

struct KeymapKeys {
    // Each keysym of the first layout at the level with the fewest
    // modifiers, of those reached with `levelMods` alone.
    std::unordered_map<xkb_keysym_t, MapKey> keys;
    // The named keys that carry no keysym. Keycodes above 255 are left out
    // of both: they would not reach X programs (XWayland).
    std::vector<xkb_keycode_t> spare;
};

// The mask of the modifier named `name` (0 when the map has none).
xkb_mod_mask_t modMask(xkb_keymap* keymap, const char* name);

KeymapKeys keymapKeys(xkb_keymap* keymap, xkb_mod_mask_t levelMods);

}  // namespace keyloom::platform
