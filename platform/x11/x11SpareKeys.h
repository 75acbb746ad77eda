// Characters and keys the keyboard map lacks are sent through keycodes no key
// uses: their keysym is bound to a spare keycode for as long as it is needed.
// One allocator per desktop serves both, so neither takes the other's keys.
//
// A program maps a keycode to a keysym when it handles the key event, which
// may be well after the event was sent, so a spare keycode is bound to
// another keysym (or given back) only once the focused program can have read
// every event that used it. `ReadPace` estimates when that is.
#pragma once

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <functional>
#include <map>
#include <set>
#include <vector>

namespace keyloom::platform {

// When the focused program will have read the keys sent so far, assuming it
// reads them at a modest pace from the moment they are sent.
class ReadPace {
public:
    // Seconds a program may take to handle one key, and to take in a changed
    // keyboard map; the margin a rebinding keeps after the estimate.
    static constexpr double kPerKey = 0.001;
    static constexpr double kPerMapChange = 0.02;
    static constexpr double kMargin = 0.02;
    // Before the spare keycodes are given back for good.
    static constexpr double kRestoreMargin = 0.25;

    // Counts something sent now that takes `cost` to read; returns the time
    // by which it will have been read.
    double sent(double cost);

    // Monotonic seconds.
    static double now();
    // Sleeps until `when` (monotonic seconds).
    static void sleepUntil(double when);
    // The same in slices of a few milliseconds, asking `stopAsked` between
    // them; false when it answered true before `when`.
    static bool sleepUnlessStopped(double when, const std::function<bool()>& stopAsked);

private:
    double readBy_ = 0;
};

// A spare keycode and the level modifiers of the level bound.
struct SpareKey {
    KeyCode keycode = 0;
    unsigned mods = 0;
};

class SpareKeys {
public:
    SpareKeys(Display* display, ReadPace& pace) : display_(display), pace_(pace) {}
    // Gives the keycodes back once the program can have read their last use.
    ~SpareKeys() { giveBack(); }
    // The same, keeping the keycodes for later use.
    void giveBack();
    SpareKeys(const SpareKeys&) = delete;
    SpareKeys& operator=(const SpareKeys&) = delete;

    // The key bound to `keysym`. When it has none, binds it, together with as
    // many of the keysyms in `soon` (those needed next, in order) as there are
    // spare levels, reusing first the levels that are not needed soon. Each
    // spare keycode holds two levels (none and Shift), or four when the map
    // has AltGr (`level3Mask`, its modifier). Keycode 0: no spare keycode,
    // or `stopAsked` answered true while a rebinding waited for the
    // program to read the keys' earlier uses (nothing was changed then).
    SpareKey bind(KeySym keysym, const std::vector<KeySym>& soon, unsigned level3Mask,
                  const std::function<bool()>& stopAsked = {});
    // A whole spare keycode for `keysym` (every level gives it, whatever the
    // modifiers held): for a key the map lacks, pressed and released on its
    // own. It stays bound until giveBack. 0: no spare keycode is free.
    KeyCode bindKey(KeySym keysym);
    // The key bound to `keysym` was just sent: it is read by `readBy`.
    void used(KeySym keysym, double readBy);

    // The keycodes this object uses (bound or not).
    std::set<KeyCode> keycodes() const;
    // Whether keycodes [first, first + count) are all ours.
    bool owns(int first, int count) const;
    // The server says the keyboard is new. Often it is the same map (the
    // server tells so whenever keys come from another device than before:
    // a real keyboard, then XTest): our bindings are still there and stay.
    // When a new map replaced them, those that survived are given back and
    // the spare keycodes are looked for anew.
    void keyboardReplaced();

private:
    struct Slot {
        KeyCode keycode = 0;
        int level = 0;
        KeySym keysym = NoSymbol;
        double readBy = 0;
        bool wholeKey = false;  // bound by bindKey: kept until giveBack
    };
    void findSpareKeycodes(unsigned level3Mask);
    SpareKey keyOf(const Slot& slot) const;
    // When the program will have read the last use of `slot`.
    static double lastRead(const Slot& slot);
    // Writes the keysyms of every spare keycode to the server, in one request:
    // each change makes every program (the window manager too) reload its map.
    void write();
    // Whether the keysyms of `keycode` in `xkb` are neither empty nor what we
    // wrote there last.
    bool takenByOthers(XkbDescPtr xkb, KeyCode keycode) const;
    // Stops using `keycode`.
    void giveUp(KeyCode keycode);

    Display* display_;
    ReadPace& pace_;
    std::vector<Slot> slots_;
    std::vector<KeyCode> keycodes_;
    std::map<KeyCode, std::vector<KeySym>> written_;  // what the last write bound
    int levels_ = 2;
    int type_ = XkbTwoLevelIndex;
    unsigned level3Mask_ = 0;
    bool found_ = false;
};

}  // namespace keyloom::platform
