// The command list of the builder (and of the editor's palette): 60 words in
// a fixed order. The first eight take a value, written after " >".
#pragma once

#include <array>
#include <string_view>

namespace keyloom::ui {

inline constexpr std::array<std::string_view, 60> kCommandWords = {
    "RunProgram",      "ExecuteFile",    "Message",          "Wait",
    "SetFocus",        "SendText",       "MouseMove",        "Repeat",
    "End_Repeat",      "Press_BackSpace", "Press_Tab",       "Press_Enter",
    "Press_ESC",       "Press_F1",       "Press_F2",         "Press_F3",
    "Press_F4",        "Press_F5",       "Press_F6",         "Press_F7",
    "Press_F8",        "Press_F9",       "Press_F10",        "Press_F11",
    "Press_F12",       "Press_Home",     "Press_End",        "Press_Up",
    "Press_Down",      "Press_Left",     "Press_Right",      "Press_PageUp",
    "Press_PageDown",  "Press_Ins",      "Press_Del",        "Press_Shift",
    "Release_Shift",   "Press_CTRL",     "Release_CTRL",     "Press_ALT",
    "Release_ALT",     "Press_Caps",     "Press_NumLock",    "Press_ScrollLock",
    "Press_PrintScreen", "CapsOn",       "CapsOff",          "ScrollOn",
    "ScrollOff",       "NumOn",          "NumOff",           "LDblClick",
    "RDblClick",       "LClick",         "LDown",            "LUp",
    "RClick",          "RDown",          "RUp",              "Loop",
};

// Positions from here on take no value.
inline constexpr int kFirstBareCommand = 8;

}  // namespace keyloom::ui
