#include "platform/wayland/waylandKeyboard.h"

#include <sys/mman.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/linux/keymapKeys.h"
#include "platform/linux/keysyms.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"

namespace keyloom::platform {
namespace {

using Kind = KeyStroke::Kind;

// The keys, their types and their symbols from the system's XKB data; the
// spare keys are bound after the include.
constexpr const char* kLayoutHead =
    "xkb_keymap {\n"
    "  xkb_keycodes { include \"evdev+aliases(qwerty)\" };\n"
    "  xkb_types { include \"complete\" };\n"
    "  xkb_compat { include \"complete\" };\n"
    "  xkb_symbols { include \"pc+us\"\n";
constexpr const char* kLayoutTail = "  };\n};\n";

// Key events sent between two settles.
constexpr unsigned kSettleEvery = 32;
// The time a program may take to read one key event. Wayland tells a client
// nothing of how far the focused program has read, and a compositor drops a
// program that falls some thousand keys behind (libwayland before 1.23 has
// fixed buffers): keys go no faster than 1,000 characters a second, which a
// GTK field (about 1,800 alone) and our probe on a busy machine (about 750)
// follow closely enough.
constexpr std::chrono::microseconds kPerKeyEvent{500};
// Strokes typed between two questions whether the run is to stop.
constexpr std::size_t kStrokesPerSlice = 16;

std::uint32_t milliseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint32_t>(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

}  // namespace

VirtualKeyboard::VirtualKeyboard(zwp_virtual_keyboard_v1* keyboard, std::function<void()> settle)
    : keyboard_(keyboard), settle_(std::move(settle)) {
    context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (context_ == nullptr) return;
    std::string text = std::string(kLayoutHead) + kLayoutTail;
    base_ = xkb_keymap_new_from_string(context_, text.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                       XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (base_ == nullptr) return;
    const xkb_mod_mask_t shift = modMask(base_, XKB_MOD_NAME_SHIFT);
    const xkb_mod_mask_t level3 = modMask(base_, "Mod5");
    levelMods_ = shift | level3 | modMask(base_, XKB_MOD_NAME_CAPS);
    // Where the layout has each keysym, and the named keys it leaves empty.
    KeymapKeys found = keymapKeys(base_, shift | level3);
    layoutKeys_ = std::move(found.keys);
    spare_ = std::move(found.spare);
    upload();
}

VirtualKeyboard::~VirtualKeyboard() {
    zwp_virtual_keyboard_v1_destroy(keyboard_);
    if (state_ != nullptr) xkb_state_unref(state_);
    if (keymap_ != nullptr) xkb_keymap_unref(keymap_);
    if (base_ != nullptr) xkb_keymap_unref(base_);
    if (context_ != nullptr) xkb_context_unref(context_);
}

void VirtualKeyboard::upload() {
    std::string text = kLayoutHead;
    for (const auto& [keycode, keysym] : bound_)
        text += "    key <" + std::string(xkb_keymap_key_get_name(base_, keycode)) + "> { [ " +
                std::to_string(keysym) + " ] };\n";
    text += kLayoutTail;
    xkb_keymap* keymap = xkb_keymap_new_from_string(
        context_, text.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap == nullptr) return;
    std::unique_ptr<char, decltype(&std::free)> full(
        xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1), std::free);
    int fd = full ? memfd_create("keyloom-keymap", MFD_CLOEXEC) : -1;
    const std::size_t size = full ? std::strlen(full.get()) + 1 : 0;
    if (fd < 0 || write(fd, full.get(), size) != static_cast<ssize_t>(size)) {
        if (fd >= 0) close(fd);
        xkb_keymap_unref(keymap);
        return;
    }
    zwp_virtual_keyboard_v1_keymap(keyboard_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                   static_cast<std::uint32_t>(size));
    close(fd);
    if (keymap_ != nullptr) xkb_keymap_unref(keymap_);
    keymap_ = keymap;
    // The keys held now are held in the new map too.
    xkb_state* state = xkb_state_new(keymap_);
    for (xkb_keycode_t kc : down_) xkb_state_update_key(state, kc, XKB_KEY_DOWN);
    if (state_ != nullptr) {
        xkb_mod_mask_t locked = xkb_state_serialize_mods(state_, XKB_STATE_MODS_LOCKED);
        xkb_state_update_mask(state, xkb_state_serialize_mods(state, XKB_STATE_MODS_DEPRESSED), 0,
                              locked, 0, 0, 0);
        xkb_state_unref(state_);
    }
    state_ = state;
    // A new map resets the compositor's modifiers.
    sentDepressed_ = sentLocked_ = ~0U;
    heldModifiers();
}

std::optional<VirtualKeyboard::Key> VirtualKeyboard::keyFor(xkb_keysym_t keysym,
                                                            const std::vector<KeyStroke>& strokes,
                                                            std::size_t from) {
    if (keysym == XKB_KEY_NoSymbol) return std::nullopt;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (auto it = layoutKeys_.find(keysym); it != layoutKeys_.end()) return it->second;
        for (const auto& [keycode, bound] : bound_)
            if (bound == keysym) return Key{keycode, 0};
        if (attempt == 0) bindAhead(strokes, from);
    }
    return std::nullopt;
}

void VirtualKeyboard::bindAhead(const std::vector<KeyStroke>& strokes, std::size_t from) {
    // The keysyms the strokes from `from` on need that the map lacks, in order.
    std::vector<xkb_keysym_t> wanted;
    auto want = [&](xkb_keysym_t keysym) {
        if (keysym == XKB_KEY_NoSymbol || layoutKeys_.count(keysym) != 0) return;
        for (const auto& [keycode, bound] : bound_)
            if (bound == keysym) return;
        if (std::find(wanted.begin(), wanted.end(), keysym) == wanted.end())
            wanted.push_back(keysym);
    };
    for (std::size_t i = from; i < strokes.size() && wanted.size() < spare_.size(); ++i) {
        const KeyStroke& s = strokes[i];
        want(s.kind == Kind::Char ? keysymForChar(s.ch == U'\n' ? U'\r' : s.ch)
                                  : keysymForVirtualKey(s.vk));
    }
    if (wanted.empty()) return;
    std::vector<xkb_keycode_t> free;
    for (xkb_keycode_t kc : spare_)
        if (bound_.count(kc) == 0) free.push_back(kc);
    if (free.size() < wanted.size()) {
        // A new set: the keys of the keysyms that come first, keeping those held.
        std::erase_if(bound_, [this](const auto& b) { return down_.count(b.first) == 0; });
        free.clear();
        for (xkb_keycode_t kc : spare_)
            if (bound_.count(kc) == 0) free.push_back(kc);
    }
    for (std::size_t i = 0; i < wanted.size() && i < free.size(); ++i) bound_[free[i]] = wanted[i];
    upload();
}

void VirtualKeyboard::send(xkb_keycode_t keycode, bool press) {
    zwp_virtual_keyboard_v1_key(
        keyboard_, milliseconds(), keycode - 8,
        press ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    const auto now = std::chrono::steady_clock::now();
    readBy_ = std::max(readBy_, now) + kPerKeyEvent;
    if (++sinceSettle_ >= kSettleEvery) {
        sinceSettle_ = 0;
        settle_();
        std::this_thread::sleep_until(readBy_ - kSettleEvery * kPerKeyEvent);
    }
}

void VirtualKeyboard::sendModifiers(xkb_mod_mask_t depressed, xkb_mod_mask_t locked) {
    if (depressed == sentDepressed_ && locked == sentLocked_) return;
    zwp_virtual_keyboard_v1_modifiers(keyboard_, depressed, 0, locked, 0);
    sentDepressed_ = depressed;
    sentLocked_ = locked;
}

void VirtualKeyboard::heldModifiers() {
    sendModifiers(xkb_state_serialize_mods(state_, XKB_STATE_MODS_DEPRESSED),
                  xkb_state_serialize_mods(state_, XKB_STATE_MODS_LOCKED));
}

void VirtualKeyboard::key(std::uint8_t vk, bool press) {
    if (keymap_ == nullptr) return;
    auto found = keyFor(keysymForVirtualKey(vk), {KeyStroke{Kind::Tap, 0, vk}}, 0);
    // A key goes down once and up once, as on a real keyboard: sway forgets
    // the releases of keys pressed after too many presses of held ones.
    if (!found || down_.count(found->keycode) == (press ? 1U : 0U)) return;
    heldModifiers();
    send(found->keycode, press);
    xkb_state_update_key(state_, found->keycode, press ? XKB_KEY_DOWN : XKB_KEY_UP);
    if (press && keysymForVirtualKey(vk) == XKB_KEY_Scroll_Lock) scrollLocked_ = !scrollLocked_;
    if (press)
        down_.insert(found->keycode);
    else
        down_.erase(found->keycode);
    heldModifiers();
}

bool VirtualKeyboard::locked(LockKey key) const {
    if (key == LockKey::Scroll) return scrollLocked_;
    return state_ != nullptr &&
           xkb_state_mod_name_is_active(state_, key == LockKey::Caps ? XKB_MOD_NAME_CAPS : XKB_MOD_NAME_NUM,
                                        XKB_STATE_MODS_LOCKED) > 0;
}

void VirtualKeyboard::typeChar(char32_t ch, const std::vector<KeyStroke>& strokes,
                               std::size_t index) {
    if (ch == U'\n') ch = U'\r';  // a new line is the Return key
    auto found = keyFor(keysymForChar(ch), strokes, index);
    if (!found) return;
    const xkb_mod_mask_t held = xkb_state_serialize_mods(state_, XKB_STATE_MODS_DEPRESSED);
    const xkb_mod_mask_t locked = xkb_state_serialize_mods(state_, XKB_STATE_MODS_LOCKED);
    sendModifiers((held & ~levelMods_) | found->mods, locked & ~levelMods_);
    send(found->keycode, true);
    send(found->keycode, false);
}

void VirtualKeyboard::type(const std::vector<KeyStroke>& strokes,
                           const std::function<bool()>& stopAsked) {
    if (keymap_ == nullptr || strokes.empty()) return;
    bindAhead(strokes, 0);
    std::set<std::uint8_t> pressed;  // by the notation's modifiers
    for (std::size_t i = 0; i < strokes.size(); ++i) {
        // A slice of some 16 ms at the paced rate.
        if (i % kStrokesPerSlice == 0 && i > 0 && stopAsked && stopAsked()) break;
        const KeyStroke& s = strokes[i];
        switch (s.kind) {
            case Kind::Char:
                typeChar(s.ch, strokes, i);
                break;
            case Kind::Tap:
                key(s.vk, true);
                key(s.vk, false);
                break;
            case Kind::Press:
                key(s.vk, true);
                pressed.insert(s.vk);
                break;
            case Kind::Release:
                key(s.vk, false);
                pressed.erase(s.vk);
                break;
        }
    }
    for (std::uint8_t vk : pressed) key(vk, false);
    heldModifiers();
}

}  // namespace keyloom::platform
