// What every real desktop backend must deliver to a probe window, written
// once: each row is a run of entries and the events the focused window
// receives, in a form no backend owns:
//   "down Tab", "up Control_L"          a key (its unshifted X keysym name)
//   "down c shift ctrl"                 a key with the modifiers the window
//                                       sees held (shift lock ctrl alt)
//   "down button1 17,23"                a button (1 primary, 3 secondary) at
//                                       a point of the probe window
// Before each row the cursor is put at kContractCursor inside the probe;
// after each row nothing may be held. A backend's test plays every row
// against its desktop and translates what its probe received.
// Text rows (kContractTexts) are read back as the characters the window
// received, Tab and Return included; a backend runs them under each keyboard
// layout it supports (X11: US and German).
#pragma once

#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "engine/engine.h"
#include "platform/consoleToolkit.h"
#include "support/probeProcess.h"

namespace keyloom::test {

struct ContractRow {
    std::string name;
    std::vector<std::string> entries;
    std::vector<std::string> expected;
    bool swapped = false;  // the primary and secondary buttons swapped first
};

inline constexpr std::pair<int, int> kContractCursor{17, 23};

// SendText's argument, and the characters the window receives.
inline const std::vector<std::pair<std::string, std::string>> kContractTexts = {
    {"The quick brown fox 0123456789", "The quick brown fox 0123456789"},
    {"!\"#$&'*:<?@|_[]\\/=;,.`", "!\"#$&'*:<?@|_[]\\/=;,.`"},  // no ">": it starts the argument
    {"+(abc)d{+}{^}{%}{~}{(}{)}{{}{}}x{h 3}~y", "ABCd+^%~(){}xhhh\ry"},
    {"é€日😀 ñß Ω→ ÄÖÜ", "é€日😀 ñß Ω→ ÄÖÜ"},
    {"Съешь ещё 日本語、中文、한국어 👍🏽", "Съешь ещё 日本語、中文、한국어 👍🏽"},
    {"a\tb\nc{TAB}d{ENTER}", "a\tb\rc\td\r"},
};

// Activation by title: with windows of kContractTitles open, each title
// asked for activates the window at its index (the exact title first, then
// ignoring letter case, beyond ASCII too, then a title that begins with it);
// the titles of kContractNoMatch activate nothing.
inline const std::vector<std::string> kContractTitles = {
    "Keyloom Focus Alpha", "keyloom focus alpha beta", "Keyloom Focus Gamma",
    "Keyloom Focus — Ünïcödé"};
inline const std::vector<std::pair<std::string, int>> kContractActivations = {
    {"Keyloom Focus Alpha", 0}, {"keyloom focus alpha beta", 1}, {"KEYLOOM FOCUS GAMMA", 2},
    {"keyloom focus alpha b", 1}, {"keyloom focus g", 2},       {"KEYLOOM FOCUS — ÜNÏCÖDÉ", 3},
    {"Keyloom Focus Alpha", 0}};
inline const std::vector<std::string> kContractNoMatch = {"Keyloom Focus Nowhere", "", "Focus Alpha"};

// Runs `entries` on `desktop` as the Run button does, its messages written to
// `messages`.
inline void playEntries(platform::Desktop& desktop, std::vector<std::string> entries,
                        std::ostream& messages = std::cerr) {
    platform::ConsoleToolkit toolkit{messages};
    VectorList list(std::move(entries));
    RunState state;
    state.lastIndex = list.count();
    Engine(state, list, desktop, toolkit).command2Click();
}

// A probe's key or button event in the contract's form: the key named `key`
// with the modifiers its state holds (1 shift, 2 lock, 4 ctrl, 8 alt) unless
// it is a modifier or lock key itself; a button at its point of the window.
inline std::string contractLine(const ProbeEvent& e, const ProbeProcess& probe,
                                const std::string& key, bool modifierKey) {
    std::string line = e.isPress() ? "down " : "up ";
    if (e.isButton())
        return line + "button" + std::to_string(e.button) + " " +
               std::to_string(e.x - probe.left()) + "," + std::to_string(e.y - probe.top());
    line += key;
    const std::pair<unsigned, const char*> bits[] = {
        {1U, " shift"}, {2U, " lock"}, {4U, " ctrl"}, {8U, " alt"}};
    for (auto [mask, word] : bits)
        if (!modifierKey && (e.state & mask) != 0) line += word;
    return line;
}

inline std::vector<ContractRow> desktopContractRows() {
    using Lines = std::vector<std::string>;
    auto tap = [](const std::string& key, const std::string& state = "") {
        const std::string held = state.empty() ? "" : " " + state;
        return Lines{"down " + key + held, "up " + key + held};
    };
    auto joined = [](std::initializer_list<Lines> parts) {
        Lines out;
        for (const Lines& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    std::vector<ContractRow> rows;
    // Every key word that taps a key, and the key it taps.
    const std::pair<const char*, const char*> taps[] = {
        {"Tab", "Tab"},       {"Enter", "Return"},   {"BackSpace", "BackSpace"}, {"ESC", "Escape"},
        {"F1", "F1"},         {"F2", "F2"},          {"F3", "F3"},               {"F4", "F4"},
        {"F5", "F5"},         {"F6", "F6"},          {"F7", "F7"},               {"F8", "F8"},
        {"F9", "F9"},         {"F10", "F10"},        {"F11", "F11"},             {"F12", "F12"},
        {"Home", "Home"},     {"End", "End"},        {"Up", "Up"},               {"Down", "Down"},
        {"Left", "Left"},     {"Right", "Right"},    {"PageUp", "Prior"},        {"PageDown", "Next"},
        {"Ins", "Insert"},    {"Del", "Delete"},     {"Space", "space"},         {"Pause", "Pause"},
        {"Caps", "Caps_Lock"}, {"NumLock", "Num_Lock"}, {"ScrollLock", "Scroll_Lock"},
    };
    for (auto [word, key] : taps) rows.push_back({word, {std::string("Press_") + word}, tap(key)});
    // A macro's own Pause is no stop key: the run goes on.
    rows.push_back({"InjectedPauseIsNoStop", {"Press_Pause", "Wait >0.3", "Press_Tab"},
                    joined({tap("Pause"), tap("Tab")})});
    // The notation's modifiers hold for their key and named keys are tapped
    // (keys that no desktop takes as a shortcut).
    rows.push_back({"NotationModifiers", {"SendText >^a%{END}{LEFT}"},
                    joined({{"down Control_L"}, tap("a", "ctrl"), {"up Control_L", "down Alt_L"},
                            tap("End", "alt"), {"up Alt_L"}, tap("Left")})});

    // A modifier pressed by one entry is held for exactly the entries up to
    // its release.
    const std::pair<const char*, const char*> modifiers[] = {
        {"CTRL", "Control_L"}, {"Shift", "Shift_L"}, {"ALT", "Alt_L"}};
    const char* states[] = {"ctrl", "shift", "alt"};
    for (int i = 0; i < 3; ++i) {
        const std::string word = modifiers[i].first, key = modifiers[i].second;
        rows.push_back({"Held" + word,
                        {"Press_" + word, "SendText >c", "Release_" + word, "SendText >c"},
                        joined({{"down " + key}, tap("c", states[i]), {"up " + key}, tap("c")})});
    }
    // Modifiers still held when the run ends are released, last pressed
    // first (with a key no desktop takes as a shortcut).
    rows.push_back({"HeldModifiersReleasedAtTheEnd",
                    {"Press_CTRL", "Press_Shift", "Press_ALT", "Press_Ins"},
                    joined({{"down Control_L", "down Shift_L", "down Alt_L"},
                            tap("Insert", "shift ctrl alt"),
                            {"up Alt_L", "up Shift_L", "up Control_L"}})});

    // A lock command taps its key only when the lock is not already in the
    // state it names; the window sees Caps Lock's state.
    const std::pair<const char*, const char*> locks[] = {
        {"Caps", "Caps_Lock"}, {"Num", "Num_Lock"}, {"Scroll", "Scroll_Lock"}};
    for (auto [word, key] : locks) {
        const std::string w = word;
        rows.push_back({w + "Lock",
                        {w + "On", w + "On", "Press_Tab", w + "Off", w + "Off", "Press_Tab"},
                        joined({tap(key), tap("Tab", w == "Caps" ? "lock" : ""), tap(key), tap("Tab")})});
    }
    rows.push_back({"CapsLockReachesText",
                    {"CapsOn", "SendText >a", "CapsOff", "SendText >a"},
                    joined({tap("Caps_Lock"), tap("a", "lock"), tap("Caps_Lock"), tap("a")})});

    // Clicks arrive where the cursor is; L is the primary button, also when
    // the buttons are swapped. Buttons held at the end are released.
    auto at = [](int button, const char* dir) {
        return std::string(dir) + " button" + std::to_string(button) + " " +
               std::to_string(kContractCursor.first) + "," + std::to_string(kContractCursor.second);
    };
    auto click = [&](int b) { return Lines{at(b, "down"), at(b, "up")}; };
    for (bool swapped : {false, true}) {
        const std::string s = swapped ? "Swapped" : "";
        rows.push_back({"LClick" + s, {"LClick"}, click(1), swapped});
        rows.push_back({"RClick" + s, {"RClick"}, click(3), swapped});
        rows.push_back({"LDblClick" + s, {"LDblClick"}, joined({click(1), click(1)}), swapped});
        rows.push_back({"RDblClick" + s, {"RDblClick"}, joined({click(3), click(3)}), swapped});
        rows.push_back({"LDownLUp" + s, {"LDown", "LUp"}, click(1), swapped});
        rows.push_back({"RDownRUp" + s, {"RDown", "RUp"}, click(3), swapped});
        rows.push_back({"ButtonsReleasedAtTheEnd" + s, {"LDown", "RDown"},
                        {at(1, "down"), at(3, "down"), at(3, "up"), at(1, "up")}, swapped});
    }
    return rows;
}

}  // namespace keyloom::test
