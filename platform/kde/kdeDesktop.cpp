#include "platform/kde/kdeDesktop.h"

#include <linux/input-event-codes.h>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <thread>

#include "fake-input-client-protocol.h"
#include "keystate-client-protocol.h"
#include "platform/kde/kdeClipboard.h"
#include "platform/kde/kdeExtraKeys.h"
#include "platform/kde/kwinScript.h"
#include "platform/linux/waylandFlush.h"
#include "platform/linux/connectionLoss.h"
#include "platform/linux/evdevInput.h"
#include "platform/linux/keymapKeys.h"
#include "platform/linux/keysyms.h"
#include "platform/linux/launch.h"
#include "platform/linux/titleMatch.h"
#include "platform/runStops.h"
#include "platform/virtualKeys.h"

namespace keyloom::platform {
namespace {

using Kind = KeyStroke::Kind;

// Fake input tells nothing of how far the focused program has read: keys go
// at the pace the wlroots desktop found safe (see waylandKeyboard.cpp).
constexpr unsigned kSettleEvery = 32;
constexpr std::chrono::microseconds kPerKeyEvent{500};
constexpr std::size_t kStrokesPerSlice = 16;
// How long KWin may take to compile a new keyboard map.
constexpr auto kReloadWithin = std::chrono::seconds(3);
// How long the focused program may take to ask for a paste, and to put it in
// once it has read it (before keys that follow, before the clipboard changes).
constexpr auto kPasteWithin = std::chrono::milliseconds(1500);
constexpr auto kPasteInsert = std::chrono::milliseconds(50);

std::string ownProgram() {
    char path[PATH_MAX] = {};
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : "keyloom";
}

std::string utf8(char32_t ch) {
    char out[8] = {};
    xkb_keysym_to_utf8(keysymForChar(ch), out, sizeof out);
    return out;
}

xkb_keysym_t keysymOf(const KeyStroke& s) {
    return s.kind == Kind::Char ? keysymForChar(s.ch == U'\n' ? U'\r' : s.ch)
                                : keysymForVirtualKey(s.vk);
}

}  // namespace

struct KdeDesktop::Impl {
    ~Impl();
    void flush();
    void roundtrip();
    void takeKeymap(int fd, std::uint32_t size);
    // Waits until KWin's map holds every keysym of `wanted` (or, with
    // `held` false, none); false when the first map KWin sends after the
    // one of now does not, or none comes.
    bool awaitKeymap(const std::vector<xkb_keysym_t>& wanted, bool held = true);
    // The key of a keysym on the map as it is now.
    std::optional<MapKey> keyOf(xkb_keysym_t keysym) const;
    void send(xkb_keycode_t keycode, bool press);
    void press(xkb_keycode_t keycode, bool down);
    void key(std::uint8_t vk, bool down);
    // Takes in the lock keys' states as KWin has them now.
    void awaitLocks();
    bool capsOn() const {
        return locks[ORG_KDE_KWIN_KEYSTATE_KEY_CAPSLOCK] != ORG_KDE_KWIN_KEYSTATE_STATE_UNLOCKED;
    }
    // Caps Lock as it was before KWin took a new keyboard map, for KWin and
    // for the focused program.
    void keepCaps(bool was);
    void typeKeysym(xkb_keysym_t keysym);
    // Puts the keysyms that the strokes from `from` on need and the map
    // lacks on its empty keys, as many as there are.
    void bindAhead(const std::vector<KeyStroke>& strokes, std::size_t from);
    // Text no key gives: through the clipboard and Ctrl+V; whether the
    // focused program took it.
    bool paste(const std::string& text);

    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_seat* seat = nullptr;
    std::uint32_t seatVersion = 0;
    org_kde_kwin_fake_input* fake = nullptr;
    org_kde_kwin_keystate* keystate = nullptr;
    std::uint32_t locks[3] = {};  // Caps, Num, Scroll Lock: ORG_KDE_KWIN_KEYSTATE_STATE_*
    // Scroll Lock as our own presses left it: layouts that give it no
    // modifier (the US one) leave KWin's state of it unlocked for good.
    bool scrollToggled = false;
    bool lockNews = false;        // a lock key of ours went down: KWin tells its state a little later
    wl_keyboard* keyboard = nullptr;
    bool kwin = false;
    std::unique_ptr<ConnectionWatch> watch;

    xkb_context* context = nullptr;
    xkb_keymap* keymap = nullptr;
    unsigned keymaps = 0;  // how many KWin sent
    KeymapKeys keys;
    xkb_mod_mask_t shiftMask = 0, level3Mask = 0, capsMask = 0;
    std::map<xkb_keycode_t, xkb_keysym_t> bound;  // our keys on empty ones
    std::set<xkb_keycode_t> down;
    std::set<std::uint32_t> buttons;
    Point cursor;
    unsigned sinceSettle = 0;
    std::chrono::steady_clock::time_point readBy;

    std::unique_ptr<KWinScript> script;
    std::unique_ptr<ExtraKeys> extra;
    std::unique_ptr<Clipboard> clipboard;
    std::string clipboardError;  // why there is none
    std::string pasteError;      // why the last paste failed
    RunStopListener runStops;  // from the first claim to the end of the run
    std::unique_ptr<EvdevInput> input;
    std::string inputUnseen;  // why the input devices are not read
    std::string bindError;  // why the last binding failed
    std::string refused;    // why KWin did not take our keys, once it did not
    std::string failure;
};

namespace {

void onKeymap(void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd, std::uint32_t size) {
    auto* impl = static_cast<KdeDesktop::Impl*>(data);
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) impl->takeKeymap(fd, size);
    close(fd);
}
void onEnter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}
void onLeave(void*, wl_keyboard*, std::uint32_t, wl_surface*) {}
void onKey(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {}
void onModifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                 std::uint32_t) {}
void onRepeat(void*, wl_keyboard*, std::int32_t, std::int32_t) {}
const wl_keyboard_listener kKeyboardListener = {onKeymap,    onEnter,  onLeave,
                                                onKey,       onModifiers, onRepeat};

void onLockState(void* data, org_kde_kwin_keystate*, std::uint32_t key, std::uint32_t state) {
    auto* impl = static_cast<KdeDesktop::Impl*>(data);
    if (key < 3) impl->locks[key] = state;
    impl->lockNews = false;
}
const org_kde_kwin_keystate_listener kKeystateListener = {onLockState};

void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
            std::uint32_t version) {
    auto* impl = static_cast<KdeDesktop::Impl*>(data);
    const std::string which = interface;
    if (which == wl_seat_interface.name && impl->seat == nullptr) {
        impl->seatVersion = std::min<std::uint32_t>(version, 5);
        impl->seat = static_cast<wl_seat*>(
            wl_registry_bind(registry, name, &wl_seat_interface, impl->seatVersion));
    } else if (which == org_kde_kwin_fake_input_interface.name) {
        impl->fake = static_cast<org_kde_kwin_fake_input*>(wl_registry_bind(
            registry, name, &org_kde_kwin_fake_input_interface, std::min<std::uint32_t>(version, 4)));
    } else if (which == org_kde_kwin_keystate_interface.name) {
        impl->keystate = static_cast<org_kde_kwin_keystate*>(
            wl_registry_bind(registry, name, &org_kde_kwin_keystate_interface, 1));
        org_kde_kwin_keystate_add_listener(impl->keystate, &kKeystateListener, impl);
    } else if (which == "kde_output_device_v2" || which == "org_kde_plasma_shell") {
        impl->kwin = true;  // offered by KWin alone
    }
}
void globalRemove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistryListener = {global, globalRemove};

}  // namespace

KdeDesktop::Impl::~Impl() {
    clipboard.reset();
    extra.reset();
    script.reset();
    watch.reset();
    if (keymap != nullptr) xkb_keymap_unref(keymap);
    if (context != nullptr) xkb_context_unref(context);
    if (display == nullptr) return;
    if (keyboard != nullptr) {
        if (seatVersion >= 3)
            wl_keyboard_release(keyboard);
        else
            wl_keyboard_destroy(keyboard);
    }
    if (fake != nullptr) org_kde_kwin_fake_input_destroy(fake);
    // Version 1 has no destroy request: the proxy alone goes.
    if (keystate != nullptr) wl_proxy_destroy(reinterpret_cast<wl_proxy*>(keystate));
    if (seat != nullptr) wl_seat_destroy(seat);
    if (registry != nullptr) wl_registry_destroy(registry);
    wl_display_flush(display);
    wl_display_disconnect(display);
}

void KdeDesktop::Impl::flush() { flushWayland(display); }

void KdeDesktop::Impl::roundtrip() {
    flush();
    wl_display_roundtrip(display);
}

void KdeDesktop::Impl::takeKeymap(int fd, std::uint32_t size) {
    void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (text == MAP_FAILED) return;
    xkb_keymap* map = xkb_keymap_new_from_buffer(context, static_cast<const char*>(text),
                                                 strnlen(static_cast<const char*>(text), size),
                                                 XKB_KEYMAP_FORMAT_TEXT_V1,
                                                 XKB_KEYMAP_COMPILE_NO_FLAGS);
    munmap(text, size);
    if (map == nullptr) return;
    if (keymap != nullptr) xkb_keymap_unref(keymap);
    keymap = map;
    shiftMask = modMask(keymap, XKB_MOD_NAME_SHIFT);
    level3Mask = modMask(keymap, "Mod5");
    capsMask = modMask(keymap, XKB_MOD_NAME_CAPS);
    keys = keymapKeys(keymap, shiftMask | level3Mask);
    ++keymaps;
}

bool KdeDesktop::Impl::awaitKeymap(const std::vector<xkb_keysym_t>& wanted, bool held) {
    const auto until = std::chrono::steady_clock::now() + kReloadWithin;
    const unsigned before = keymaps;
    for (;;) {
        roundtrip();
        if (std::all_of(wanted.begin(), wanted.end(),
                        [&](xkb_keysym_t s) { return (keys.keys.count(s) != 0) == held; }))
            return true;
        if (keymaps != before || std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::optional<MapKey> KdeDesktop::Impl::keyOf(xkb_keysym_t keysym) const {
    if (keysym == XKB_KEY_NoSymbol) return std::nullopt;
    auto it = keys.keys.find(keysym);
    if (it == keys.keys.end()) return std::nullopt;
    return it->second;
}

void KdeDesktop::Impl::send(xkb_keycode_t keycode, bool press) {
    org_kde_kwin_fake_input_keyboard_key(fake, keycode - 8, press ? 1 : 0);
    const auto now = std::chrono::steady_clock::now();
    readBy = std::max(readBy, now) + kPerKeyEvent;
    if (++sinceSettle >= kSettleEvery) {
        sinceSettle = 0;
        roundtrip();
        std::this_thread::sleep_until(readBy - kSettleEvery * kPerKeyEvent);
    }
}

// A key goes down once and up once, as on a real keyboard.
void KdeDesktop::Impl::press(xkb_keycode_t keycode, bool press) {
    if (down.count(keycode) == (press ? 1U : 0U)) return;
    send(keycode, press);
    if (press)
        down.insert(keycode);
    else
        down.erase(keycode);
}

void KdeDesktop::Impl::key(std::uint8_t vk, bool isDown) {
    const xkb_keysym_t keysym = keysymForVirtualKey(vk);
    auto k = keyOf(keysym);
    if (!k) return;
    press(k->keycode, isDown);
    if (isDown && keysym == XKB_KEY_Scroll_Lock) scrollToggled = !scrollToggled;
    if (isDown && keystate != nullptr &&
        (keysym == XKB_KEY_Caps_Lock || keysym == XKB_KEY_Num_Lock || keysym == XKB_KEY_Scroll_Lock))
        lockNews = true;
}

void KdeDesktop::Impl::keepCaps(bool was) {
    if (!was || keystate == nullptr) return;
    awaitLocks();
    if (!capsOn()) {
        key(vk::kCapital, true);
        key(vk::kCapital, false);
        awaitLocks();
        return;
    }
    // KWin tells the focused program the locked modifiers of the new map
    // only when they change: a Shift tap makes it tell them now (a Shift
    // that the macro holds stays held).
    auto shift = keyOf(XKB_KEY_Shift_L);
    if (shift && down.count(shift->keycode) == 0) {
        press(shift->keycode, true);
        press(shift->keycode, false);
    }
}

void KdeDesktop::Impl::awaitLocks() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    roundtrip();
    while (lockNews && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        roundtrip();
    }
    lockNews = false;
}

// The keysym at the level it needs: Shift and AltGr pressed or let up around
// it as it needs them, whatever the macro holds; Ctrl and Alt stay as held.
void KdeDesktop::Impl::typeKeysym(xkb_keysym_t keysym) {
    auto k = keyOf(keysym);
    if (!k) return;
    // Caps Lock on: the level that gives the keysym with it (Shift the other
    // way round for letters).
    if (locks[ORG_KDE_KWIN_KEYSTATE_KEY_CAPSLOCK] != ORG_KDE_KWIN_KEYSTATE_STATE_UNLOCKED &&
        capsMask != 0) {
        xkb_state* state = xkb_state_new(keymap);
        for (xkb_mod_mask_t mods : {k->mods, k->mods ^ shiftMask}) {
            xkb_state_update_mask(state, mods, 0, capsMask, 0, 0, 0);
            if (xkb_state_key_get_one_sym(state, k->keycode) == keysym) {
                k->mods = mods;
                break;
            }
        }
        xkb_state_unref(state);
    }
    struct Level {
        xkb_mod_mask_t mask;
        std::vector<xkb_keysym_t> modifiers;  // the keys that set it, ours first
    };
    const Level levels[] = {{shiftMask, {XKB_KEY_Shift_L, XKB_KEY_Shift_R}},
                            {level3Mask, {XKB_KEY_ISO_Level3_Shift}}};
    std::vector<std::pair<xkb_keycode_t, bool>> before;
    for (const Level& level : levels) {
        const bool needed = (k->mods & level.mask) != 0;
        std::vector<xkb_keycode_t> held;
        for (xkb_keysym_t m : level.modifiers)
            if (auto mk = keyOf(m); mk && down.count(mk->keycode) != 0) held.push_back(mk->keycode);
        if (needed && held.empty()) {
            if (auto mk = keyOf(level.modifiers.front())) before.emplace_back(mk->keycode, true);
        } else if (!needed) {
            for (xkb_keycode_t kc : held) before.emplace_back(kc, false);
        }
    }
    for (const auto& [kc, isDown] : before) press(kc, isDown);
    send(k->keycode, true);
    send(k->keycode, false);
    for (auto it = before.rbegin(); it != before.rend(); ++it) press(it->first, !it->second);
}

void KdeDesktop::Impl::bindAhead(const std::vector<KeyStroke>& strokes, std::size_t from) {
    auto onLayout = [this](xkb_keysym_t s) {
        auto k = keyOf(s);
        return k && bound.count(k->keycode) == 0;
    };
    std::vector<xkb_keycode_t> slots = keys.spare;
    for (const auto& b : bound) slots.push_back(b.first);
    std::vector<xkb_keysym_t> wanted;
    for (std::size_t i = from; i < strokes.size() && wanted.size() < slots.size(); ++i) {
        const xkb_keysym_t keysym = keysymOf(strokes[i]);
        if (keysym != XKB_KEY_NoSymbol && !onLayout(keysym) &&
            std::find(wanted.begin(), wanted.end(), keysym) == wanted.end())
            wanted.push_back(keysym);
    }
    bool missing = false;
    for (xkb_keysym_t s : wanted) missing = missing || !keyOf(s);
    if (!missing) return;
    if (extra == nullptr) {
        bindError = "no session bus to reach KWin";
        return;
    }
    if (!refused.empty()) {  // not tried again
        bindError = refused;
        return;
    }
    // The keys of the keysyms wanted stay where they are; the others get the rest.
    std::map<xkb_keycode_t, xkb_keysym_t> next;
    for (const auto& [kc, s] : bound)
        if (std::find(wanted.begin(), wanted.end(), s) != wanted.end()) next[kc] = s;
    std::size_t slot = 0;
    for (xkb_keysym_t s : wanted) {
        if (keyOf(s)) continue;
        while (slot < slots.size() && next.count(slots[slot]) != 0) ++slot;
        if (slot == slots.size()) break;
        next[slots[slot++]] = s;
    }
    std::map<std::string, std::uint32_t> names;
    std::vector<xkb_keysym_t> arriving;
    for (const auto& [kc, s] : next) {
        names[xkb_keymap_key_get_name(keymap, kc)] = s;
        arriving.push_back(s);
    }
    // KWin has every key sent before on the map they were sent for.
    roundtrip();
    const bool caps = capsOn();
    if (!extra->bind(names, &bindError)) {
        refused = bindError;
        return;
    }
    bound = next;
    const bool arrived = awaitKeymap(arriving);
    keepCaps(caps);
    if (!arrived)
        refused = bindError =
            "KWin did not take the keys of our own (XKB option keyloom:extra): it reads "
            "~/.config/xkb only when that folder existed as it started, so they work from "
            "your next login on";
}

bool KdeDesktop::Impl::paste(const std::string& text) {
    if (!clipboard && clipboardError.empty()) clipboard = Clipboard::open(&clipboardError);
    if (!clipboard) {
        pasteError = "nor can it be pasted: " + clipboardError;
        return false;
    }
    auto control = keyOf(XKB_KEY_Control_L);
    if (!control || !clipboard->offer(text)) {
        pasteError = "nor can it be pasted: the clipboard did not take it";
        return false;
    }
    auto v = keyOf(XKB_KEY_v);
    // Ctrl+V alone: the other keys the macro holds are let up around it.
    std::vector<xkb_keycode_t> held;
    for (xkb_keycode_t kc : down)
        if (kc != control->keycode) held.push_back(kc);
    for (xkb_keycode_t kc : held) press(kc, false);
    const bool heldControl = down.count(control->keycode) != 0;
    press(control->keycode, true);
    send(v ? v->keycode : KEY_V + 8, true);
    send(v ? v->keycode : KEY_V + 8, false);
    if (!heldControl) press(control->keycode, false);
    for (xkb_keycode_t kc : held) press(kc, true);
    flush();
    if (clipboard->awaitTaken(kPasteWithin)) {
        std::this_thread::sleep_for(kPasteInsert);
        return true;
    }
    pasteError = "nor did the program with the keyboard paste it (Ctrl+V)";
    return false;
}

std::unique_ptr<KdeDesktop> KdeDesktop::open(std::string* error, bool* kwin) {
    auto fail = [error](const std::string& why) {
        if (error != nullptr) *error = why;
        return nullptr;
    };
    *kwin = false;
    auto impl = std::make_unique<Impl>();
    impl->display = wl_display_connect(nullptr);
    if (impl->display == nullptr) return fail("cannot connect to the Wayland compositor");
    impl->registry = wl_display_get_registry(impl->display);
    wl_registry_add_listener(impl->registry, &kRegistryListener, impl.get());
    wl_display_roundtrip(impl->display);
    *kwin = impl->kwin;
    if (!impl->kwin) return fail("the Wayland compositor is not KWin");
    if (impl->fake == nullptr || impl->seat == nullptr) {
        const std::string program = ownProgram();
        return fail("KWin lets a program send keys (org_kde_kwin_fake_input) only when an "
                    "installed .desktop file names it, and none names " + program +
                    "; the package installs such files for /usr/bin/keyloom and "
                    "/usr/bin/keyloom-play. For this program, make a file "
                    "~/.local/share/applications/" + program.substr(program.rfind('/') + 1) +
                    "-input.desktop with the lines \"[Desktop Entry]\", \"Type=Application\", "
                    "\"Name=Keyloom\", \"NoDisplay=true\", \"Exec=" + program +
                    "\" and \"X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input,org_kde_kwin_keystate\", "
                    "and start "
                    "it again");
    }
    org_kde_kwin_fake_input_authenticate(impl->fake, "Keyloom", "plays macros: keys and mouse");
    if (impl->keystate != nullptr) org_kde_kwin_keystate_fetchStates(impl->keystate);
    impl->context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (impl->context == nullptr) return fail("no keyboard map can be read (libxkbcommon)");
    impl->keyboard = wl_seat_get_keyboard(impl->seat);
    wl_keyboard_add_listener(impl->keyboard, &kKeyboardListener, impl.get());
    impl->roundtrip();
    impl->roundtrip();
    if (impl->keymap == nullptr) return fail("KWin sent no keyboard map");
    std::string why;
    impl->script = KWinScript::start(&why);
    if (impl->script) impl->extra = std::make_unique<ExtraKeys>(impl->script->bus());
    const char* name = std::getenv("WAYLAND_DISPLAY");
    impl->watch = std::make_unique<ConnectionWatch>(
        wl_display_get_fd(impl->display),
        std::string("the Wayland compositor \"") + (name != nullptr ? name : "wayland-0") + "\"");
    if (wl_display_get_error(impl->display) != 0)
        return fail(std::string("KWin refused us: ") +
                    std::strerror(wl_display_get_error(impl->display)));
    impl->input = EvdevInput::open(&impl->inputUnseen);
    return std::unique_ptr<KdeDesktop>(new KdeDesktop(std::move(impl)));
}

KdeDesktop::KdeDesktop(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

KdeDesktop::~KdeDesktop() {
    impl_->roundtrip();
}

bool KdeDesktop::hasScript() const {
    return impl_->script != nullptr;
}

void KdeDesktop::sync() {
    impl_->roundtrip();
}

bool KdeDesktop::lockKeyOn(LockKey key) {
    impl_->awaitLocks();
    const std::uint32_t state = impl_->locks[key == LockKey::Caps  ? ORG_KDE_KWIN_KEYSTATE_KEY_CAPSLOCK
                                            : key == LockKey::Num ? ORG_KDE_KWIN_KEYSTATE_KEY_NUMLOCK
                                                                  : ORG_KDE_KWIN_KEYSTATE_KEY_SCROLLLOCK];
    return state != ORG_KDE_KWIN_KEYSTATE_STATE_UNLOCKED ||
           (key == LockKey::Scroll && impl_->scrollToggled);
}

bool KdeDesktop::claimRun() {
    impl_->runStops.listen();
    return true;
}

void KdeDesktop::endRun() {
    impl_->roundtrip();
    const bool caps = impl_->capsOn();
    if (impl_->extra && !impl_->bound.empty()) {
        impl_->extra->restore();
        // Its map in before another binding, whose map it would be taken for.
        std::vector<xkb_keysym_t> ours;
        for (const auto& b : impl_->bound) ours.push_back(b.second);
        if (impl_->refused.empty()) impl_->awaitKeymap(ours, false);
        impl_->keepCaps(caps);
    }
    impl_->bound.clear();
    impl_->runStops.close();
}

std::int16_t KdeDesktop::getAsyncKeyState(int vk) {
    return impl_->input ? impl_->input->keyState(vk) : 0;
}
KeySet KdeDesktop::keysDown() {
    return impl_->input ? impl_->input->keysDown() : KeySet{};
}
bool KdeDesktop::seesInput() {
    return impl_->input != nullptr;
}
const std::string& KdeDesktop::inputUnseen() const {
    return impl_->inputUnseen;
}
bool KdeDesktop::stopKeyPressed() {
    const bool key = impl_->input && impl_->input->stopKeyPressed();
    return impl_->runStops.stopAsked() || key;
}

void KdeDesktop::keybdEvent(std::uint8_t vk, std::uint8_t, std::uint32_t flags) {
    impl_->key(vk, (flags & kKeyUp) == 0);
    impl_->flush();
}

void KdeDesktop::typeKeys(const std::string&, const std::vector<KeyStroke>& strokes,
                          const StopCheck& stopAsked) {
    Impl& impl = *impl_;
    impl.awaitLocks();
    impl.failure.clear();
    impl.bindError.clear();
    impl.pasteError.clear();
    std::string dropped;
    impl.bindAhead(strokes, 0);
    std::set<std::uint8_t> pressed;  // by the notation's modifiers
    for (std::size_t i = 0; i < strokes.size(); ++i) {
        if (i % kStrokesPerSlice == 0 && i > 0 && stopAsked && stopAsked()) break;
        const KeyStroke& s = strokes[i];
        const xkb_keysym_t keysym = keysymOf(s);
        if (s.kind != Kind::Release && !impl.keyOf(keysym)) impl.bindAhead(strokes, i);
        if (s.kind == Kind::Char && !impl.keyOf(keysym)) {
            // The characters up to the next that a key gives, pasted at once.
            std::string text;
            for (; i < strokes.size() && strokes[i].kind == Kind::Char &&
                   !impl.keyOf(keysymOf(strokes[i]));
                 ++i)
                text += utf8(strokes[i].ch);
            --i;
            // A program that took no paste takes none of the rest either:
            // the rest is reported without waiting for it again.
            if (!impl.pasteError.empty() || !impl.paste(text)) dropped += text;
            continue;
        }
        switch (s.kind) {
            case Kind::Char:
                impl.typeKeysym(keysym);
                break;
            case Kind::Tap:
                impl.key(s.vk, true);
                impl.key(s.vk, false);
                break;
            case Kind::Press:
                impl.key(s.vk, true);
                pressed.insert(s.vk);
                break;
            case Kind::Release:
                impl.key(s.vk, false);
                pressed.erase(s.vk);
                break;
        }
    }
    for (std::uint8_t vk : pressed) impl.key(vk, false);
    impl.flush();
    if (impl.clipboard) impl.clipboard->restore();
    if (!dropped.empty())
        impl.failure = "\"" + dropped + "\" was not typed: " +
                       (impl.bindError.empty() ? "no key gives it" : impl.bindError) + "; " +
                       impl.pasteError;
}

std::string KdeDesktop::typingFailure() {
    return impl_->failure;
}

void KdeDesktop::mouseEvent(std::uint32_t flags) {
    const bool left = flags == kLeftDown || flags == kLeftUp;
    const bool isDown = flags == kLeftDown || flags == kRightDown;
    if (!left && flags != kRightDown && flags != kRightUp) return;
    const std::uint32_t button = left ? BTN_LEFT : BTN_RIGHT;
    if (impl_->buttons.count(button) == (isDown ? 1U : 0U)) return;
    if (isDown)
        impl_->buttons.insert(button);
    else
        impl_->buttons.erase(button);
    org_kde_kwin_fake_input_button(impl_->fake, button,
                                   isDown ? WL_POINTER_BUTTON_STATE_PRESSED
                                          : WL_POINTER_BUTTON_STATE_RELEASED);
    impl_->flush();
}

void KdeDesktop::setCursorPos(int x, int y) {
    org_kde_kwin_fake_input_pointer_motion_absolute(impl_->fake, wl_fixed_from_int(x),
                                                    wl_fixed_from_int(y));
    impl_->flush();
    impl_->cursor = {x, y};
}

Point KdeDesktop::getCursorPos() {
    if (impl_->script)
        if (auto p = impl_->script->cursor()) return *p;
    return impl_->cursor;
}

namespace {

// Waits a little for KWin to give the window the keyboard, so that keys sent
// next reach it.
bool activate(KdeDesktop::Impl& impl, const std::string& id) {
    if (!impl.script->activate(id)) return false;
    impl.roundtrip();
    return true;
}

}  // namespace

bool KdeDesktop::activateWindow(const std::string& wanted) {
    if (wanted.empty() || !impl_->script) return false;
    auto windows = impl_->script->windows();
    if (!windows) return false;
    std::vector<std::string> titles;
    for (const auto& w : *windows) titles.push_back(w.title);
    auto match = matchTitle(titles, wanted);
    return match && activate(*impl_, (*windows)[*match].id);
}

std::optional<long> KdeDesktop::startProgram(const std::string& commandLine) {
    return startCommandLine(commandLine);
}

bool KdeDesktop::activateProcessWindow(long pid) {
    if (pid <= 0 || !impl_->script) return false;
    auto windows = impl_->script->windows();
    if (!windows) return false;
    for (const auto& w : *windows)
        if (w.pid > 0 && descendsFrom(w.pid, pid)) return activate(*impl_, w.id);
    return false;
}

bool KdeDesktop::openDocument(const std::string& path) {
    return openWithDefaultApplication(path);
}

}  // namespace keyloom::platform
