#include "platform/x11/x11Typist.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <array>
#include <bitset>

#include "platform/linux/keysyms.h"
#include "platform/virtualKeys.h"
#include "platform/x11/x11Events.h"

namespace keyloom::platform {
namespace {

using Kind = KeyStroke::Kind;

// How far ahead a binding of spare keycodes looks for characters to bind too.
constexpr std::size_t kLookAhead = 512;
// Seconds of typing between two stop tests.
constexpr double kSlice = 0.005;

}  // namespace

Typist::Typist(Display* display, ReadPace& pace, SpareKeys& spares,
               std::function<KeyCode(std::uint8_t)> keycodeForVk, std::function<void()> mapChanged)
    : display_(display),
      keycodeForVk_(std::move(keycodeForVk)),
      mapChanged_(std::move(mapChanged)),
      pace_(pace),
      spares_(spares) {
    int opcode = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (XkbQueryExtension(display, &opcode, &xkbEventBase_, &error, &major, &minor)) {
        unsigned mask = XkbNewKeyboardNotifyMask | XkbMapNotifyMask;
        XkbSelectEvents(display, XkbUseCoreKbd, mask, mask);
    } else {
        xkbEventBase_ = -1;
    }
}

void Typist::type(const std::vector<KeyStroke>& strokes, const StopCheck& stopAsked) {
    if (strokes.empty()) return;
    stopAsked_ = &stopAsked;
    stopped_ = false;
    begin(strokes);
    double nextTest = ReadPace::now() + kSlice;
    for (std::size_t i = 0; i < strokes.size(); ++i) {
        if (ReadPace::now() >= nextTest) {
            if (stopNow()) break;
            nextTest = ReadPace::now() + kSlice;
        }
        const KeyStroke& s = strokes[i];
        switch (s.kind) {
        case Kind::Char: typeChar(strokes, i); break;
        case Kind::Tap:
            key(s.vk, true);
            key(s.vk, false);
            pace_.sent(ReadPace::kPerKey);
            break;
        case Kind::Press: key(s.vk, true); break;
        case Kind::Release: key(s.vk, false); break;
        }
        if (stopped_) break;
    }
    if (stopped_) lifted_.clear();
    leaveCharState();
    for (int vk = 0; vk < 256; ++vk)
        if (notationHeld_[static_cast<std::size_t>(vk)]) key(static_cast<std::uint8_t>(vk), false);
    XFlush(display_);
    stopAsked_ = nullptr;
}

bool Typist::stopNow() {
    XFlush(display_);
    if (!stopped_ && stopAsked_ != nullptr && *stopAsked_) stopped_ = (*stopAsked_)();
    return stopped_;
}

void Typist::begin(const std::vector<KeyStroke>& strokes) {
    XkbStateRec state{};
    // A round trip: the notices of map changes made before it are queued now.
    XkbGetState(display_, XkbUseCoreKbd, &state);
    readEvents();
    group_ = state.group;
    if (chars_.loaded() && chars_.group() != group_) chars_.forget();
    lockedLevelMods_ = state.locked_mods & LockMask;
    lifted_.clear();
    stuckMods_ = 0;
    inCharState_ = false;
    helperMods_ = 0;
    notationHeld_.reset();
    bool hasChar = std::any_of(strokes.begin(), strokes.end(),
                               [](const KeyStroke& s) { return s.kind == Kind::Char; });
    if (!hasChar) return;
    if (!chars_.loaded()) chars_.load(display_, group_, spares_.keycodes());
    if ((state.base_mods & chars_.levelMask()) != 0) liftHeldLevelKeys();
}

void Typist::liftHeldLevelKeys() {
    // Let up the level keys the macro holds. Keys held on a real keyboard
    // cannot be let up by synthetic events: they stay down.
    const unsigned levelMask = chars_.levelMask();
    auto isDown = [](const std::array<char, 32>& keys, KeyCode kc) {
        return ((keys[kc / 8] >> (kc % 8)) & 1) != 0;
    };
    std::array<char, 32> down{};
    XQueryKeymap(display_, down.data());
    std::vector<KeyCode> held;
    for (int kc = 8; kc < 256; ++kc) {
        auto keycode = static_cast<KeyCode>(kc);
        if (isDown(down, keycode) && (chars_.modifiersOf(keycode) & levelMask) != 0)
            held.push_back(keycode);
    }
    for (KeyCode kc : held) send(kc, false);
    XQueryKeymap(display_, down.data());
    for (KeyCode kc : held) {
        if (isDown(down, kc))
            stuckMods_ |= chars_.modifiersOf(kc) & levelMask;
        else
            lifted_.push_back(kc);
    }
    inCharState_ = true;
    if (lockedLevelMods_ != 0) XkbLockModifiers(display_, XkbUseCoreKbd, lockedLevelMods_, 0);
}

void Typist::readEvents() {
    drainEvents(display_, [this](XEvent& event) {
        if (event.type != xkbEventBase_) return;
        const auto& xkb = reinterpret_cast<const XkbEvent&>(event);
        if (xkb.any.xkb_type == XkbNewKeyboardNotify) {
            spares_.keyboardReplaced();
            chars_.forget();
            mapChanged_();
        } else if (xkb.any.xkb_type == XkbMapNotify && !changedOnlyOurKeys(xkb.map)) {
            chars_.forget();
            mapChanged_();
        }
    });
}

bool Typist::changedOnlyOurKeys(const XkbMapNotifyEvent& e) const {
    auto ours = [&](unsigned part, int first, int count) {
        return (e.changed & part) == 0 || count == 0 || spares_.owns(first, count);
    };
    return (e.changed & XkbKeyTypesMask) == 0 && ours(XkbKeySymsMask, e.first_key_sym, e.num_key_syms) &&
           ours(XkbKeyActionsMask, e.first_key_act, e.num_key_acts) &&
           ours(XkbKeyBehaviorsMask, e.first_key_behavior, e.num_key_behaviors) &&
           ours(XkbExplicitComponentsMask, e.first_key_explicit, e.num_key_explicit) &&
           ours(XkbModifierMapMask, e.first_modmap_key, e.num_modmap_keys) &&
           ours(XkbVirtualModMapMask, e.first_vmodmap_key, e.num_vmodmap_keys);
}

void Typist::typeChar(const std::vector<KeyStroke>& strokes, std::size_t index) {
    enterCharState();
    char32_t ch = strokes[index].ch;
    if (ch == U'\n') ch = U'\r';  // a new line is the Return key
    if (auto found = chars_.find(ch); found && reachLevel(found->mods)) {
        tap(found->keycode);
        pace_.sent(ReadPace::kPerKey);
        return;
    }
    KeySym keysym = keysymForChar(ch);
    if (keysym == NoSymbol) return;
    SpareKey spare = spares_.bind(keysym, upcomingSpareKeysyms(strokes, index + 1),
                                  chars_.level3().mask, [this] { return stopNow(); });
    if (spare.keycode == 0) return;
    // A key held on a real keyboard may shift the level: typed all the same.
    reachLevel(spare.mods);
    tap(spare.keycode);
    spares_.used(keysym, pace_.sent(ReadPace::kPerKey));
}

std::vector<KeySym> Typist::upcomingSpareKeysyms(const std::vector<KeyStroke>& strokes,
                                                 std::size_t from) {
    std::vector<KeySym> out;
    std::size_t end = std::min(strokes.size(), from + kLookAhead);
    for (std::size_t i = from; i < end; ++i) {
        if (strokes[i].kind != Kind::Char) continue;
        char32_t ch = strokes[i].ch == U'\n' ? U'\r' : strokes[i].ch;
        if (!chars_.find(ch)) out.push_back(keysymForChar(ch));
    }
    return out;
}

void Typist::key(std::uint8_t vk, bool press) {
    leaveCharState();
    if (vk == vk::kCancel) {
        // Break is Ctrl+Pause on an X keyboard.
        if (!press) return;
        bool ctrlHeld = notationHeld_[vk::kControl];
        KeyCode ctrl = keycodeForVk_(vk::kControl);
        if (!ctrlHeld && ctrl != 0) send(ctrl, true);
        if (KeyCode pause = keycodeForVk_(vk::kPause); pause != 0) tap(pause);
        if (!ctrlHeld && ctrl != 0) send(ctrl, false);
        return;
    }
    KeyCode keycode = keycodeForVk_(vk);
    if (keycode == 0) return;
    send(keycode, press);
    if (vk == vk::kShift || vk == vk::kControl || vk == vk::kMenu) notationHeld_[vk] = press;
}

void Typist::tap(KeyCode keycode) {
    send(keycode, true);
    send(keycode, false);
}

void Typist::send(KeyCode keycode, bool press) {
    XTestFakeKeyEvent(display_, keycode, press ? True : False, CurrentTime);
}

bool Typist::reachLevel(unsigned mods) {
    unsigned wanted = mods | (notationHeld_[vk::kShift] ? static_cast<unsigned>(ShiftMask) : 0U);
    if ((wanted & ~chars_.levelMask()) != 0) return false;
    bool reached = true;
    for (const LevelKey* key : {&chars_.shift(), &chars_.level3(), &chars_.level5()}) {
        const unsigned m = key->mask;
        if (m == 0) continue;
        bool want = (wanted & m) != 0;
        bool fixed = (stuckMods_ & m) != 0 || (m == ShiftMask && notationHeld_[vk::kShift]);
        bool mine = (helperMods_ & m) != 0;
        if (want && !fixed && !mine) {
            send(key->keycode, true);
            helperMods_ |= m;
        } else if (!want && mine) {
            send(key->keycode, false);
            helperMods_ &= ~m;
        }
        if (!want && fixed) reached = false;
    }
    return reached;
}

void Typist::enterCharState() {
    if (inCharState_) return;
    inCharState_ = true;
    if (!chars_.loaded()) chars_.load(display_, group_, spares_.keycodes());
    for (KeyCode kc : lifted_) send(kc, false);
    if (lockedLevelMods_ != 0) XkbLockModifiers(display_, XkbUseCoreKbd, lockedLevelMods_, 0);
}

void Typist::leaveCharState() {
    if (!inCharState_) return;
    inCharState_ = false;
    for (const LevelKey* key : {&chars_.shift(), &chars_.level3(), &chars_.level5()})
        if (key->mask != 0 && (helperMods_ & key->mask) != 0) send(key->keycode, false);
    helperMods_ = 0;
    for (KeyCode kc : lifted_) send(kc, true);
    if (lockedLevelMods_ != 0)
        XkbLockModifiers(display_, XkbUseCoreKbd, lockedLevelMods_, lockedLevelMods_);
}

}  // namespace keyloom::platform
