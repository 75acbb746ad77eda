// Types parsed key strings through XTest.
//
// Characters come out as written, whatever the keyboard layout and whatever
// modifiers are held: a character on the map is typed with its key and the
// Shift/AltGr level it needs (Shift and AltGr keys held by the macro are let
// up for it and Caps Lock is unlocked for it, all put back afterwards); a
// character the map lacks, or one whose level a physically held key prevents,
// is typed through a spare keycode bound to it, which any Shift state leaves
// alone. Ctrl, Alt and Super stay as held, so they combine with the text.
// Named keys ({LEFT}, ~, letters under + ^ %) are pressed with the modifiers
// held as they are, plus the notation's own.
#pragma once

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <bitset>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/platform.h"
#include "platform/x11/x11CharKeys.h"
#include "platform/x11/x11SpareKeys.h"

namespace keyloom::platform {

class Typist {
public:
    // `spares`: the desktop's spare keycodes, given back at the end of a
    // run; `keycodeForVk` gives the key of a virtual-key code (0: none);
    // `mapChanged` is told when another program changed the keyboard map.
    Typist(Display* display, ReadPace& pace, SpareKeys& spares,
           std::function<KeyCode(std::uint8_t)> keycodeForVk, std::function<void()> mapChanged);
    Typist(const Typist&) = delete;
    Typist& operator=(const Typist&) = delete;

    // Sends the strokes without waiting for them to be handled, asking
    // `stopAsked` every few milliseconds; once it answers true the rest is
    // dropped, and level keys the macro held that were let up for the text
    // stay up (the run is ending).
    void type(const std::vector<KeyStroke>& strokes, const StopCheck& stopAsked);

private:
    void begin(const std::vector<KeyStroke>& strokes);
    // Sends what is queued and asks stopAsked_; true from its first true on.
    bool stopNow();
    void readEvents();
    bool changedOnlyOurKeys(const XkbMapNotifyEvent& event) const;
    void liftHeldLevelKeys();
    void typeChar(const std::vector<KeyStroke>& strokes, std::size_t index);
    void key(std::uint8_t vk, bool press);
    void tap(KeyCode keycode);
    void send(KeyCode keycode, bool press);
    // Level modifiers for a character: true when the state could be reached.
    bool reachLevel(unsigned mods);
    void enterCharState();
    void leaveCharState();
    std::vector<KeySym> upcomingSpareKeysyms(const std::vector<KeyStroke>& strokes,
                                             std::size_t from);

    Display* display_;
    std::function<KeyCode(std::uint8_t)> keycodeForVk_;
    std::function<void()> mapChanged_;
    int xkbEventBase_ = 0;
    ReadPace& pace_;
    SpareKeys& spares_;
    CharKeys chars_;

    // The state of one type() call.
    const StopCheck* stopAsked_ = nullptr;
    bool stopped_ = false;
    int group_ = 0;
    unsigned lockedLevelMods_ = 0;  // Caps Lock as found
    std::vector<KeyCode> lifted_;   // level keys held by the macro, let up for characters
    unsigned stuckMods_ = 0;        // level modifiers of keys held on a real keyboard
    bool inCharState_ = false;      // lifted_ up, Caps Lock unlocked
    unsigned helperMods_ = 0;       // level keys pressed here for a character
    std::bitset<256> notationHeld_;  // modifiers the notation holds down ("+" "^" "%")
};

}  // namespace keyloom::platform
