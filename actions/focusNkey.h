// Key commands, the lock-key commands, Message, SetFocus and SendText.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "engine/globalVariables.h"

namespace keyloom {
class Engine;
namespace focusNkey {

// Windows virtual-key codes of the keys the commands press.
namespace vk {
inline constexpr std::uint8_t kBack = 8, kTab = 9, kReturn = 13, kShift = 16, kControl = 17,
                              kMenu = 18, kPause = 19, kCapital = 20, kEscape = 27, kSpace = 32,
                              kPrior = 33, kNext = 34, kEnd = 35, kHome = 36, kLeft = 37, kUp = 38,
                              kRight = 39, kDown = 40, kSnapshot = 44, kInsert = 45, kDelete = 46,
                              kF1 = 112, kNumLock = 144, kScroll = 145;
}

enum class KeyAction {
    Tap,             // key down, key up
    Down,            // key down only
    Up,              // key up only
    DownLetEvents,   // key down, then let pending window events run
    UpLetEvents,     // key up, then let pending window events run
};

struct KeyCommand {
    std::string_view word;
    std::uint8_t vk;
    KeyAction action;
};

// The key commands of the dispatch table, in its order, then the keys the
// builder offers and the recorder writes that the table lacks.
std::span<const KeyCommand> keyCommands();
const KeyCommand* findKeyCommand(std::string_view word);

// Runs the key command named by the current token.
void pressKey(Engine& engine, Index entry);
// CapsOn/CapsOff, NumOn/NumOff, ScrollOn/ScrollOff.
void setLock(Engine& engine, Index entry);
void message(Engine& engine, Index entry);
void setFocus(Engine& engine, Index entry);
void sendText(Engine& engine, Index entry);

inline constexpr const char* kFocusQuestion = "Focus Lost from application. Continue?";

}  // namespace focusNkey
}  // namespace keyloom
