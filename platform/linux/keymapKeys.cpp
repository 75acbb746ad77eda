#include "platform/linux/keymapKeys.h"

#include <algorithm>
#include <bit>

namespace keyloom::platform {

xkb_mod_mask_t modMask(xkb_keymap* keymap, const char* name) {
    xkb_mod_index_t index = xkb_keymap_mod_get_index(keymap, name);
    return index == XKB_MOD_INVALID ? 0 : (1U << index);
}

KeymapKeys keymapKeys(xkb_keymap* keymap, xkb_mod_mask_t levelMods) {
    KeymapKeys out;
    const xkb_keycode_t last = std::min<xkb_keycode_t>(xkb_keymap_max_keycode(keymap), 255);
    for (xkb_keycode_t kc = xkb_keymap_min_keycode(keymap); kc <= last; ++kc) {
        if (xkb_keymap_num_layouts_for_key(keymap, kc) == 0) {
            if (xkb_keymap_key_get_name(keymap, kc) != nullptr) out.spare.push_back(kc);
            continue;
        }
        for (xkb_level_index_t level = 0; level < xkb_keymap_num_levels_for_key(keymap, kc, 0);
             ++level) {
            const xkb_keysym_t* syms = nullptr;
            if (xkb_keymap_key_get_syms_by_level(keymap, kc, 0, level, &syms) != 1) continue;
            xkb_mod_mask_t masks[8];
            std::size_t n = xkb_keymap_key_get_mods_for_level(keymap, kc, 0, level, masks, 8);
            for (std::size_t i = 0; i < n; ++i) {
                if ((masks[i] & ~levelMods) != 0) continue;
                auto it = out.keys.find(syms[0]);
                if (it == out.keys.end() ||
                    std::popcount(masks[i]) < std::popcount(it->second.mods))
                    out.keys[syms[0]] = MapKey{kc, masks[i]};
            }
        }
    }
    return out;
}

}  // namespace keyloom::platform
