// Key commands, the lock-key commands, Message, SetFocus and SendText.
#pragma once

#include "engine/globalVariables.h"

namespace keyloom {
class Engine;
namespace focusNkey {

// Presses, holds or releases the key of the key word in the current token.
void pressKey(Engine& engine, Index entry);
// CapsOn/CapsOff, NumOn/NumOff, ScrollOn/ScrollOff.
void setLock(Engine& engine, Index entry);
void message(Engine& engine, Index entry);
void setFocus(Engine& engine, Index entry);
void sendText(Engine& engine, Index entry);

inline constexpr const char* kFocusQuestion = "Focus Lost from application. Continue?";

}  // namespace focusNkey
}  // namespace keyloom
