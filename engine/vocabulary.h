// The command vocabulary: every command word once, with the command it runs,
// the key it presses where it is a key word, whether it takes a value, and
// its place in the builder's list. The dispatcher, the key commands, the
// builder's list and the recorder's lines all read it.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "actions/focusNkey.h"
#include "actions/launch.h"
#include "actions/mEvents.h"
#include "engine/globalVariables.h"
#include "engine/waitsNLoops.h"
#include "platform/virtualKeys.h"

namespace keyloom {

// Every command receives the index of the entry its token comes from; the
// commands without an argument ignore it.
using Command = void (*)(Engine&, Index);

// What a key word does with its key.
enum class KeyAction {
    None,           // no key word
    Tap,            // key down, key up
    Down,           // key down only
    Up,             // key up only
    DownLetEvents,  // key down, then let pending window events run
    UpLetEvents,    // key up, then let pending window events run
    LockOn,         // tap the lock key when its lock is off
    LockOff,        // tap the lock key when its lock is on
};

inline constexpr int kNotOffered = -1;

struct CommandWord {
    std::string_view word;
    Command run;
    bool takesValue;  // the builder writes it with " >" and the value
    int place;        // its place in the builder's list, or kNotOffered
    std::uint8_t key = 0;
    KeyAction action = KeyAction::None;
};

namespace vocabulary {

constexpr CommandWord valueWord(std::string_view word, Command run, int place) {
    return {word, run, true, place};
}

constexpr CommandWord bareWord(std::string_view word, Command run, int place) {
    return {word, run, false, place};
}

constexpr CommandWord keyWord(std::string_view word, std::uint8_t key, KeyAction action, int place) {
    const bool lock = action == KeyAction::LockOn || action == KeyAction::LockOff;
    return {word, lock ? focusNkey::setLock : focusNkey::pressKey, false, place, key, action};
}

using enum KeyAction;

// The words of the dispatch table first, then those the builder offers or
// the recorder writes beyond them.
inline constexpr std::array kWords{
    valueWord("RunProgram", runProg::runProgram, 0),
    valueWord("ExecuteFile", executeFile::executeFile, 1),
    valueWord("Wait", waitsNLoops::wait, 3),
    valueWord("SetFocus", focusNkey::setFocus, 4),
    valueWord("SendText", focusNkey::sendText, 5),
    keyWord("Press_BackSpace", vk::kBack, Tap, 9),
    keyWord("Press_Tab", vk::kTab, Tap, 10),
    keyWord("Press_Enter", vk::kReturn, Tap, 11),
    keyWord("Press_ESC", vk::kEscape, Tap, 12),
    keyWord("Press_F1", vk::kF1, Tap, 13),
    keyWord("Press_F2", vk::kF1 + 1, Tap, 14),
    keyWord("Press_F3", vk::kF1 + 2, Tap, 15),
    keyWord("Press_F4", vk::kF1 + 3, Tap, 16),
    keyWord("Press_F5", vk::kF1 + 4, Tap, 17),
    keyWord("Press_F6", vk::kF1 + 5, Tap, 18),
    keyWord("Press_F7", vk::kF1 + 6, Tap, 19),
    keyWord("Press_F8", vk::kF1 + 7, Tap, 20),
    keyWord("Press_F9", vk::kF1 + 8, Tap, 21),
    keyWord("Press_F10", vk::kF1 + 9, Tap, 22),
    keyWord("Press_F11", vk::kF1 + 10, Tap, 23),
    keyWord("Press_F12", vk::kF1 + 11, Tap, 24),
    keyWord("Press_Home", vk::kHome, Tap, 25),
    keyWord("Press_End", vk::kEnd, Tap, 26),
    keyWord("Press_Up", vk::kUp, Tap, 27),
    keyWord("Press_Down", vk::kDown, Tap, 28),
    keyWord("Press_Left", vk::kLeft, Tap, 29),
    keyWord("Press_Right", vk::kRight, Tap, 30),
    keyWord("Press_PageUp", vk::kPrior, Tap, 31),
    keyWord("Press_PageDown", vk::kNext, Tap, 32),
    keyWord("Press_Ins", vk::kInsert, Tap, 33),
    keyWord("Press_Del", vk::kDelete, Tap, 34),
    keyWord("Press_Shift", vk::kShift, DownLetEvents, 35),
    keyWord("Release_Shift", vk::kShift, UpLetEvents, 36),
    keyWord("Press_CTRL", vk::kControl, Down, 37),
    keyWord("Release_CTRL", vk::kControl, Up, 38),
    keyWord("Press_ALT", vk::kMenu, Down, 39),
    keyWord("Release_ALT", vk::kMenu, Up, 40),
    valueWord("MouseMove", mEvents::mouseMove, 6),
    bareWord("LDblClick", mEvents::lDblClick, 51),
    bareWord("RDblClick", mEvents::rDblClick, 52),
    bareWord("LClick", mEvents::lClick, 53),
    bareWord("LDown", mEvents::lDown, 54),
    bareWord("LUp", mEvents::lUp, 55),
    bareWord("RClick", mEvents::rClick, 56),
    bareWord("RDown", mEvents::rDown, 57),
    bareWord("RUp", mEvents::rUp, 58),
    valueWord("Repeat", waitsNLoops::repeat, 7),
    bareWord("End_Repeat", waitsNLoops::endRepeat, 8),
    bareWord("Loop", waitsNLoops::loop, 59),
    keyWord("Press_Space", vk::kSpace, Tap, kNotOffered),
    keyWord("Press_Pause", vk::kPause, Tap, kNotOffered),
    keyWord("Press_Caps", vk::kCapital, Tap, 41),
    keyWord("Press_NumLock", vk::kNumLock, Tap, 42),
    keyWord("Press_ScrollLock", vk::kScroll, Tap, 43),
    keyWord("Press_PrintScreen", vk::kSnapshot, Tap, 44),
    keyWord("CapsOn", vk::kCapital, LockOn, 45),
    keyWord("CapsOff", vk::kCapital, LockOff, 46),
    keyWord("NumOn", vk::kNumLock, LockOn, 49),
    keyWord("NumOff", vk::kNumLock, LockOff, 50),
    keyWord("ScrollOn", vk::kScroll, LockOn, 47),
    keyWord("ScrollOff", vk::kScroll, LockOff, 48),
    valueWord("Message", focusNkey::message, 2),
};

// The words in byte order, for lookups.
inline constexpr auto kSorted = [] {
    auto sorted = kWords;
    std::ranges::sort(sorted, {}, &CommandWord::word);
    return sorted;
}();

static_assert(std::ranges::adjacent_find(kSorted, {}, &CommandWord::word) == kSorted.end(),
              "every word is in the table once");

// The row of `word`, compared exactly, letter case included; nullptr when it
// is no command word.
constexpr const CommandWord* find(std::string_view word) {
    auto it = std::ranges::lower_bound(kSorted, word, {}, &CommandWord::word);
    return it != kSorted.end() && it->word == word ? &*it : nullptr;
}

// The word that runs `command` (the first, for a command of several words).
// Not constexpr: under the sanitizers the compiler does not compare the
// addresses of functions at compile time.
inline std::string_view wordOf(Command command) {
    return std::ranges::find(kWords, command, &CommandWord::run)->word;
}

// The word that presses `key` down: a tap, or the press of a modifier.
constexpr std::string_view pressWordOf(std::uint8_t key) {
    return std::ranges::find_if(kWords, [key](const CommandWord& w) {
               return w.key == key &&
                      (w.action == Tap || w.action == Down || w.action == DownLetEvents);
           })->word;
}

// An entry of `word` with its value: "Wait >2".
inline std::string withValue(std::string_view word, std::string_view value) {
    return std::string(word).append(" >").append(value);
}

}  // namespace vocabulary
}  // namespace keyloom
