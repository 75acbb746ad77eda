// Keys and text through a zwp_virtual_keyboard_v1.
//
// The compositor takes the keyboard map from us: a US layout (libxkbcommon
// builds it from the system's XKB data) with the keysyms the text needs that
// the layout lacks put on keys the layout leaves empty. The map is uploaded
// when the text asks for keysyms it does not hold yet, all of them at once,
// never per character; only a text with more such keysyms than there are
// empty keys is typed in several maps. The virtual keyboard carries no
// modifier state of its own: the modifiers are sent with the keys, kept by
// an XKB state of ours. A character is typed at the level it needs with
// Shift, AltGr and Caps Lock as it needs them, whatever the macro holds;
// Ctrl, Alt and Super stay as held, so they combine with the text.
#pragma once

#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/linux/keymapKeys.h"
#include "platform/platform.h"

struct zwp_virtual_keyboard_v1;

namespace keyloom::platform {

class VirtualKeyboard {
public:
    // `settle` is called every few keys, to let the compositor and the
    // focused program take them in before more are sent.
    VirtualKeyboard(zwp_virtual_keyboard_v1* keyboard, std::function<void()> settle);
    ~VirtualKeyboard();
    VirtualKeyboard(const VirtualKeyboard&) = delete;
    VirtualKeyboard& operator=(const VirtualKeyboard&) = delete;

    // False when no keyboard map could be built (no XKB data).
    bool ready() const { return base_ != nullptr; }

    void key(std::uint8_t vk, bool press);
    // Asks `stopAsked` (when given) every few strokes: once it answers
    // true, the rest is dropped and the keys the strokes hold are let up.
    void type(const std::vector<KeyStroke>& strokes, const std::function<bool()>& stopAsked = {});
    // The lock as this keyboard has set it: the compositor keeps a state per
    // keyboard, and the focused program sees the state of the one that typed.
    bool locked(LockKey key) const;

private:
    using Key = MapKey;
    std::optional<Key> keyFor(xkb_keysym_t keysym, const std::vector<KeyStroke>& strokes,
                              std::size_t from);
    void bindAhead(const std::vector<KeyStroke>& strokes, std::size_t from);
    void upload();
    void send(xkb_keycode_t keycode, bool press);
    void sendModifiers(xkb_mod_mask_t depressed, xkb_mod_mask_t locked);
    void heldModifiers();
    void typeChar(char32_t ch, const std::vector<KeyStroke>& strokes, std::size_t index);

    zwp_virtual_keyboard_v1* keyboard_;
    std::function<void()> settle_;
    xkb_context* context_ = nullptr;
    xkb_keymap* base_ = nullptr;    // the US layout alone
    xkb_keymap* keymap_ = nullptr;  // as uploaded: the layout and the bound keysyms
    xkb_state* state_ = nullptr;    // of the keys pressed as named keys
    std::unordered_map<xkb_keysym_t, Key> layoutKeys_;
    std::vector<xkb_keycode_t> spare_;             // keys the layout leaves empty
    std::map<xkb_keycode_t, xkb_keysym_t> bound_;  // spare keys in use
    std::set<xkb_keycode_t> down_;
    bool scrollLocked_ = false;  // the US layout gives Scroll Lock no modifier
    xkb_mod_mask_t levelMods_ = 0;  // Shift, Caps Lock, AltGr (level 3 and 5)
    xkb_mod_mask_t sentDepressed_ = ~0U;
    xkb_mod_mask_t sentLocked_ = ~0U;
    unsigned sinceSettle_ = 0;
    std::chrono::steady_clock::time_point readBy_;  // when the program will have read what was sent
};

}  // namespace keyloom::platform
