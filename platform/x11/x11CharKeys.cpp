#include "platform/x11/x11CharKeys.h"

#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <xkbcommon/xkbcommon.h>

#include <bit>

namespace keyloom::platform {
namespace {

// The group a key uses when `group` is active: out-of-range groups wrap.
int effectiveGroup(XkbDescPtr xkb, int keycode, int group) {
    int groups = XkbKeyNumGroups(xkb, keycode);
    return groups == 0 ? -1 : group % groups;
}

// The fewest level modifiers (within `allowed`) that select `level` of a key
// of this type; nothing when none do.
std::optional<unsigned> modsForLevel(const XkbKeyTypeRec& type, int level, unsigned allowed) {
    if (level == 0) return 0U;
    std::optional<unsigned> best;
    for (int i = 0; i < type.map_count; ++i) {
        const XkbKTMapEntryRec& entry = type.map[i];
        unsigned mask = entry.mods.mask;
        if (!entry.active || entry.level != level || mask == 0 || (mask & ~allowed) != 0) continue;
        if (!best || std::popcount(mask) < std::popcount(*best)) best = mask;
    }
    return best;
}

}  // namespace

bool CharKeys::load(Display* display, int group, const std::set<KeyCode>& skip) {
    XkbDescPtr xkb =
        XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask | XkbModifierMapMask, XkbUseCoreKbd);
    if (xkb == nullptr) return false;
    keys_.clear();
    shift_ = level3_ = level5_ = {};
    const int minKey = xkb->min_key_code;
    const int maxKey = xkb->max_key_code;
    for (int kc = 0; kc < 256; ++kc)
        modmap_[kc] = kc >= minKey && kc <= maxKey ? xkb->map->modmap[kc] : 0;

    // The keys that set the level modifiers.
    for (int kc = minKey; kc <= maxKey; ++kc) {
        int g = effectiveGroup(xkb, kc, group);
        if (g < 0 || modmap_[kc] == 0) continue;
        KeySym sym = XkbKeySymEntry(xkb, kc, 0, g);
        LevelKey key{static_cast<KeyCode>(kc), modmap_[kc]};
        if ((sym == XK_Shift_L || sym == XK_Shift_R) && shift_.keycode == 0 && (key.mask & ShiftMask))
            shift_ = {key.keycode, ShiftMask};
        if (sym == XK_ISO_Level3_Shift && level3_.keycode == 0) level3_ = key;
        if (sym == XK_ISO_Level5_Shift && level5_.keycode == 0) level5_ = key;
    }
    const unsigned allowed = levelMask();

    for (int kc = minKey; kc <= maxKey; ++kc) {
        int g = effectiveGroup(xkb, kc, group);
        if (g < 0 || skip.count(static_cast<KeyCode>(kc)) != 0) continue;
        const XkbKeyTypeRec& type = *XkbKeyKeyType(xkb, kc, g);
        const int width = XkbKeyGroupWidth(xkb, kc, g);
        for (int level = 0; level < width; ++level) {
            KeySym sym = XkbKeySymEntry(xkb, kc, level, g);
            // Keypad keys change with Num Lock: the main keys are surer.
            if (sym == NoSymbol || IsKeypadKey(sym) || IsPrivateKeypadKey(sym)) continue;
            char32_t ch = xkb_keysym_to_utf32(static_cast<xkb_keysym_t>(sym));
            if (ch == 0) continue;
            auto mods = modsForLevel(type, level, allowed);
            if (!mods) continue;
            auto it = keys_.find(ch);
            if (it == keys_.end() || std::popcount(*mods) < std::popcount(it->second.mods))
                keys_[ch] = CharKey{static_cast<KeyCode>(kc), *mods};
        }
    }
    XkbFreeKeyboard(xkb, 0, True);
    group_ = group;
    loaded_ = true;
    return true;
}

std::optional<CharKey> CharKeys::find(char32_t ch) const {
    auto it = keys_.find(ch);
    if (it == keys_.end()) return std::nullopt;
    return it->second;
}

}  // namespace keyloom::platform
