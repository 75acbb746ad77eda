#include "platform/x11/x11SpareKeys.h"

#include <X11/keysym.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace keyloom::platform {
namespace {

// Keysyms without the empty levels at the end (the server may drop them).
std::vector<KeySym> trimmed(std::vector<KeySym> syms) {
    while (!syms.empty() && syms.back() == NoSymbol) syms.pop_back();
    return syms;
}

// Empty keycodes left at the top of the range for other users of spare keys.
constexpr int kLeftForOthers = 4;
constexpr std::size_t kMostKeycodes = 32;

}  // namespace

double ReadPace::sent(double cost) {
    readBy_ = std::max(readBy_, now()) + cost;
    return readBy_;
}

double ReadPace::now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void ReadPace::sleepUntil(double when) {
    if (when <= now()) return;
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(when);
    ts.tv_nsec = std::clamp(static_cast<long>((when - std::floor(when)) * 1e9), 0L, 999999999L);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

bool ReadPace::sleepUnlessStopped(double when, const std::function<bool()>& stopAsked) {
    constexpr double kSlice = 0.005;
    for (double t = now(); t < when; t = now()) {
        if (stopAsked && stopAsked()) return false;
        sleepUntil(std::min(when, t + kSlice));
    }
    return true;
}

double SpareKeys::lastRead(const Slot& slot) {
    // A whole key is pressed without telling us: it may have been just now.
    return slot.wholeKey ? ReadPace::now() : slot.readBy;
}

void SpareKeys::giveBack() {
    double readBy = -1;
    for (Slot& s : slots_) {
        if (s.keysym == NoSymbol) continue;
        readBy = std::max(readBy, lastRead(s));
        s = Slot{s.keycode, s.level, NoSymbol, 0, false};
    }
    if (readBy < 0) return;
    ReadPace::sleepUntil(readBy + ReadPace::kRestoreMargin);
    write();
    XSync(display_, False);
}

namespace {

// A type of four levels chosen by Shift and `level3` (the AltGr modifier);
// -1 when the map has none.
int fourLevelType(XkbDescPtr xkb, unsigned level3) {
    for (int t = 0; t < xkb->map->num_types; ++t) {
        const XkbKeyTypeRec& type = xkb->map->types[t];
        if (type.num_levels != 4 || type.mods.mask != (ShiftMask | level3)) continue;
        int found = 0;
        for (int i = 0; i < type.map_count; ++i) {
            const XkbKTMapEntryRec& e = type.map[i];
            unsigned want = (e.level & 1 ? ShiftMask : 0U) | (e.level & 2 ? level3 : 0U);
            if (e.active && e.level > 0 && e.mods.mask == want) found |= 1 << e.level;
        }
        if (found == 0xE) return t;
    }
    return -1;
}

}  // namespace

void SpareKeys::findSpareKeycodes(unsigned level3Mask) {
    found_ = true;
    slots_.clear();
    keycodes_.clear();
    XkbDescPtr xkb = XkbGetMap(display_, XkbKeyTypesMask | XkbKeySymsMask | XkbKeyActionsMask |
                                             XkbModifierMapMask | XkbVirtualModMapMask,
                               XkbUseCoreKbd);
    if (xkb == nullptr) return;
    std::vector<KeyCode> empty;
    for (int kc = xkb->min_key_code; kc <= xkb->max_key_code; ++kc) {
        const KeySym* syms = XkbKeySymsPtr(xkb, kc);
        bool none = std::all_of(syms, syms + XkbKeyNumSyms(xkb, kc),
                                [](KeySym s) { return s == NoSymbol; });
        if (none && xkb->map->modmap[kc] == 0 && !XkbKeyHasActions(xkb, kc))
            empty.push_back(static_cast<KeyCode>(kc));
    }
    int four = level3Mask != 0 ? fourLevelType(xkb, level3Mask) : -1;
    XkbFreeKeyboard(xkb, 0, True);
    levels_ = four >= 0 ? 4 : 2;
    type_ = four >= 0 ? four : XkbTwoLevelIndex;
    level3Mask_ = four >= 0 ? level3Mask : 0;
    std::size_t usable = empty.size() > kLeftForOthers ? empty.size() - kLeftForOthers
                                                       : std::min<std::size_t>(empty.size(), 1);
    usable = std::min(usable, kMostKeycodes);
    for (std::size_t i = 0; i < usable; ++i) {
        keycodes_.push_back(empty[i]);
        for (int level = 0; level < levels_; ++level)
            slots_.push_back(Slot{empty[i], level, NoSymbol, 0});
    }
}

SpareKey SpareKeys::keyOf(const Slot& slot) const {
    return {slot.keycode, (slot.level & 1 ? static_cast<unsigned>(ShiftMask) : 0U) |
                              (slot.level & 2 ? level3Mask_ : 0U)};
}

SpareKey SpareKeys::bind(KeySym keysym, const std::vector<KeySym>& soon, unsigned level3Mask,
                         const std::function<bool()>& stopAsked) {
    for (const Slot& s : slots_)
        if (s.keysym == keysym) return keyOf(s);
    if (!found_) findSpareKeycodes(level3Mask);
    if (slots_.empty()) return {};

    // What the slots should hold: this keysym, then the next ones needed.
    std::vector<KeySym> wanted{keysym};
    for (KeySym s : soon) {
        if (wanted.size() == slots_.size()) break;
        if (s != NoSymbol && std::find(wanted.begin(), wanted.end(), s) == wanted.end())
            wanted.push_back(s);
    }
    auto isWanted = [&](KeySym s) { return std::find(wanted.begin(), wanted.end(), s) != wanted.end(); };
    std::vector<KeySym> missing;
    for (KeySym s : wanted)
        if (std::none_of(slots_.begin(), slots_.end(), [s](const Slot& slot) { return slot.keysym == s; }))
            missing.push_back(s);
    // Free slots first, then those whose last use was read longest ago.
    std::vector<std::size_t> free;
    for (std::size_t i = 0; i < slots_.size(); ++i)
        if (!isWanted(slots_[i].keysym) && !slots_[i].wholeKey) free.push_back(i);
    std::stable_sort(free.begin(), free.end(), [&](std::size_t a, std::size_t b) {
        bool emptyA = slots_[a].keysym == NoSymbol, emptyB = slots_[b].keysym == NoSymbol;
        if (emptyA != emptyB) return emptyA;
        return slots_[a].readBy < slots_[b].readBy;
    });
    free.resize(std::min(free.size(), missing.size()));
    const std::vector<Slot> before = slots_;
    double safe = 0;
    for (std::size_t k = 0; k < free.size(); ++k) {
        Slot& slot = slots_[free[k]];
        if (slot.keysym != NoSymbol) safe = std::max(safe, slot.readBy + ReadPace::kMargin);
        slot.keysym = missing[k];
        slot.readBy = 0;
    }
    if (safe > 0) {
        XFlush(display_);
        if (!ReadPace::sleepUnlessStopped(safe, stopAsked)) {
            slots_ = before;
            return {};
        }
    }
    write();
    pace_.sent(ReadPace::kPerMapChange);
    for (const Slot& s : slots_)
        if (s.keysym == keysym) return keyOf(s);
    // Its keycode was taken by another program meanwhile and is given up:
    // bind it again on the ones left.
    return slots_.empty() ? SpareKey{} : bind(keysym, soon, level3Mask, stopAsked);
}

KeyCode SpareKeys::bindKey(KeySym keysym) {
    if (!found_) findSpareKeycodes(XkbKeysymToModifiers(display_, XK_ISO_Level3_Shift));
    // A keycode of free levels; else the one whose characters were read
    // longest ago, once they have been.
    KeyCode chosen = 0;
    double chosenReadBy = 0;
    for (KeyCode kc : keycodes_) {
        double last = 0;
        bool whole = false;
        for (const Slot& s : slots_)
            if (s.keycode == kc) {
                whole = whole || s.wholeKey;
                if (s.keysym != NoSymbol) last = std::max(last, s.readBy + ReadPace::kMargin);
            }
        if (!whole && (chosen == 0 || last < chosenReadBy)) {
            chosen = kc;
            chosenReadBy = last;
        }
    }
    if (chosen == 0) return 0;
    XFlush(display_);
    ReadPace::sleepUntil(chosenReadBy);
    for (Slot& s : slots_)
        if (s.keycode == chosen) s = Slot{chosen, s.level, keysym, 0, true};
    write();
    pace_.sent(ReadPace::kPerMapChange);
    // Unless another program took that keycode meanwhile: then try the others.
    return owns(chosen, 1) ? chosen : bindKey(keysym);
}

void SpareKeys::used(KeySym keysym, double readBy) {
    for (Slot& s : slots_)
        if (s.keysym == keysym) s.readBy = readBy;
}

std::set<KeyCode> SpareKeys::keycodes() const { return {keycodes_.begin(), keycodes_.end()}; }

bool SpareKeys::owns(int first, int count) const {
    for (int kc = first; kc < first + count; ++kc)
        if (std::find(keycodes_.begin(), keycodes_.end(), kc) == keycodes_.end()) return false;
    return true;
}

void SpareKeys::keyboardReplaced() {
    if (written_.empty()) {
        slots_.clear();
        keycodes_.clear();
        found_ = false;
        return;
    }
    XkbDescPtr xkb = XkbGetMap(display_, XkbKeySymsMask, XkbUseCoreKbd);
    if (xkb == nullptr) return;
    bool intact = true;
    for (const auto& [keycode, syms] : written_) {
        const KeySym* now = XkbKeySymsPtr(xkb, keycode);
        intact = intact && trimmed({now, now + XkbKeyNumSyms(xkb, keycode)}) == trimmed(syms);
    }
    XkbFreeKeyboard(xkb, 0, True);
    if (intact) return;
    // Give back what is still ours, once read, then start afresh on the new map.
    double readBy = 0;
    for (Slot& s : slots_) {
        readBy = std::max(readBy, lastRead(s));
        s.keysym = NoSymbol;
    }
    ReadPace::sleepUntil(readBy + ReadPace::kMargin);
    write();
    slots_.clear();
    keycodes_.clear();
    written_.clear();
    found_ = false;
}

bool SpareKeys::takenByOthers(XkbDescPtr xkb, KeyCode keycode) const {
    const KeySym* now = XkbKeySymsPtr(xkb, keycode);
    std::vector<KeySym> current = trimmed({now, now + XkbKeyNumSyms(xkb, keycode)});
    if (current.empty()) return false;
    auto ours = written_.find(keycode);
    return ours == written_.end() || trimmed(ours->second) != current;
}

void SpareKeys::write() {
    if (keycodes_.empty()) return;
    XkbDescPtr xkb = XkbGetMap(display_, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd);
    if (xkb == nullptr) return;
    // A keycode another program has bound since (or a new keyboard map put
    // to use) is no longer ours: it is left as it is.
    std::vector<KeyCode> taken;
    for (KeyCode kc : keycodes_)
        if (takenByOthers(xkb, kc)) taken.push_back(kc);
    for (KeyCode kc : taken) giveUp(kc);
    if (keycodes_.empty()) {
        XkbFreeKeyboard(xkb, 0, True);
        return;
    }
    for (KeyCode kc : keycodes_) {
        std::vector<KeySym> syms(static_cast<std::size_t>(levels_), NoSymbol);
        for (const Slot& s : slots_)
            if (s.keycode == kc) syms[static_cast<std::size_t>(s.level)] = s.keysym;
        XkbSymMapRec& map = xkb->map->key_sym_map[kc];
        if (std::all_of(syms.begin(), syms.end(), [](KeySym s) { return s == NoSymbol; })) {
            map.group_info = XkbSetNumGroups(map.group_info, 0);
            map.width = 0;
            written_.erase(kc);
            continue;
        }
        KeySym* out = XkbResizeKeySyms(xkb, kc, levels_);
        if (out == nullptr) continue;
        map.kt_index[0] = static_cast<unsigned char>(type_);
        map.group_info = XkbSetNumGroups(0, 1);
        map.width = static_cast<unsigned char>(levels_);
        std::copy(syms.begin(), syms.end(), out);
        written_[kc] = syms;
    }
    // Through the core keyboard, not the master device the map came from:
    // the server then changes the master and its keyboards at once and tells
    // the programs once, where naming the master tells them twice (each
    // time, a window manager grabs all its key bindings again).
    xkb->device_spec = XkbUseCoreKbd;
    XkbMapChangesRec changes{};
    changes.changed = XkbKeySymsMask;
    changes.first_key_sym = keycodes_.front();
    changes.num_key_syms = static_cast<unsigned char>(keycodes_.back() - keycodes_.front() + 1);
    XkbChangeMap(display_, xkb, &changes);
    XkbFreeKeyboard(xkb, 0, True);
}

void SpareKeys::giveUp(KeyCode keycode) {
    keycodes_.erase(std::remove(keycodes_.begin(), keycodes_.end(), keycode), keycodes_.end());
    slots_.erase(std::remove_if(slots_.begin(), slots_.end(),
                                [keycode](const Slot& s) { return s.keycode == keycode; }),
                 slots_.end());
    written_.erase(keycode);
}

}  // namespace keyloom::platform
