#include "actions/focusNkey.h"

#include <algorithm>
#include <array>

#include "actions/keyString.h"
#include "engine/engine.h"

namespace keyloom::focusNkey {
namespace {

using enum KeyAction;

constexpr std::array kKeys{
    KeyCommand{"Press_BackSpace", vk::kBack, Tap},
    KeyCommand{"Press_Tab", vk::kTab, Tap},
    KeyCommand{"Press_Enter", vk::kReturn, Tap},
    KeyCommand{"Press_ESC", vk::kEscape, Tap},
    KeyCommand{"Press_F1", vk::kF1, Tap},
    KeyCommand{"Press_F2", vk::kF1 + 1, Tap},
    KeyCommand{"Press_F3", vk::kF1 + 2, Tap},
    KeyCommand{"Press_F4", vk::kF1 + 3, Tap},
    KeyCommand{"Press_F5", vk::kF1 + 4, Tap},
    KeyCommand{"Press_F6", vk::kF1 + 5, Tap},
    KeyCommand{"Press_F7", vk::kF1 + 6, Tap},
    KeyCommand{"Press_F8", vk::kF1 + 7, Tap},
    KeyCommand{"Press_F9", vk::kF1 + 8, Tap},
    KeyCommand{"Press_F10", vk::kF1 + 9, Tap},
    KeyCommand{"Press_F11", vk::kF1 + 10, Tap},
    KeyCommand{"Press_F12", vk::kF1 + 11, Tap},
    KeyCommand{"Press_Home", vk::kHome, Tap},
    KeyCommand{"Press_End", vk::kEnd, Tap},
    KeyCommand{"Press_Up", vk::kUp, Tap},
    KeyCommand{"Press_Down", vk::kDown, Tap},
    KeyCommand{"Press_Left", vk::kLeft, Tap},
    KeyCommand{"Press_Right", vk::kRight, Tap},
    KeyCommand{"Press_PageUp", vk::kPrior, Tap},
    KeyCommand{"Press_PageDown", vk::kNext, Tap},
    KeyCommand{"Press_Ins", vk::kInsert, Tap},
    KeyCommand{"Press_Del", vk::kDelete, Tap},
    KeyCommand{"Press_Shift", vk::kShift, DownLetEvents},
    KeyCommand{"Release_Shift", vk::kShift, UpLetEvents},
    KeyCommand{"Press_CTRL", vk::kControl, Down},
    KeyCommand{"Release_CTRL", vk::kControl, Up},
    KeyCommand{"Press_ALT", vk::kMenu, Down},
    KeyCommand{"Release_ALT", vk::kMenu, Up},
    // Offered by the builder or written by the recorder.
    KeyCommand{"Press_Space", vk::kSpace, Tap},
    KeyCommand{"Press_Pause", vk::kPause, Tap},
    KeyCommand{"Press_Caps", vk::kCapital, Tap},
    KeyCommand{"Press_NumLock", vk::kNumLock, Tap},
    KeyCommand{"Press_ScrollLock", vk::kScroll, Tap},
    KeyCommand{"Press_PrintScreen", vk::kSnapshot, Tap},
};

struct LockCommand {
    std::string_view word;
    platform::LockKey lock;
    std::uint8_t vk;
    bool on;
};

constexpr std::array kLocks{
    LockCommand{"CapsOn", platform::LockKey::Caps, vk::kCapital, true},
    LockCommand{"CapsOff", platform::LockKey::Caps, vk::kCapital, false},
    LockCommand{"NumOn", platform::LockKey::Num, vk::kNumLock, true},
    LockCommand{"NumOff", platform::LockKey::Num, vk::kNumLock, false},
    LockCommand{"ScrollOn", platform::LockKey::Scroll, vk::kScroll, true},
    LockCommand{"ScrollOff", platform::LockKey::Scroll, vk::kScroll, false},
};

// Number of characters (code points) of UTF-8 text.
std::size_t characterCount(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

bool isAsciiLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

std::span<const KeyCommand> keyCommands() { return kKeys; }

const KeyCommand* findKeyCommand(std::string_view word) {
    auto it = std::find_if(kKeys.begin(), kKeys.end(),
                           [word](const KeyCommand& k) { return k.word == word; });
    return it == kKeys.end() ? nullptr : &*it;
}

void pressKey(Engine& engine, Index) {
    const KeyCommand* key = findKeyCommand(engine.state.curToken);
    if (key == nullptr) return;
    switch (key->action) {
    case Tap: engine.input.tap(key->vk); break;
    case Down: engine.input.key(key->vk, 0, platform::kKeyDown); break;
    case Up: engine.input.key(key->vk, 0, platform::kKeyUp); break;
    case DownLetEvents:
        engine.input.key(key->vk, 0, platform::kKeyDown);
        engine.toolkit.events.letEventsRun();
        break;
    case UpLetEvents:
        engine.input.key(key->vk, 0, platform::kKeyUp);
        engine.toolkit.events.letEventsRun();
        break;
    }
}

void setLock(Engine& engine, Index) {
    auto it = std::find_if(kLocks.begin(), kLocks.end(), [&](const LockCommand& l) {
        return l.word == engine.state.curToken;
    });
    if (it == kLocks.end()) return;
    if (engine.desktop.lockKeyOn(it->lock) != it->on) engine.input.tap(it->vk);
}

void message(Engine& engine, Index entry) {
    engine.toolkit.dialogs.messageBox(engine.argument(entry), kAppTitle,
                                      platform::MessageStyle::Ok);
}

void setFocus(Engine& engine, Index entry) {
    std::string title = engine.argument(entry);
    // An empty title matches no window.
    if (!title.empty() && engine.desktop.activateWindow(title)) return;
    auto answer = engine.toolkit.dialogs.messageBox(kFocusQuestion, kAppTitle,
                                                    platform::MessageStyle::YesNoQuestion);
    if (answer != platform::MessageAnswer::Yes) {
        engine.state.stopFlag = 1;
        engine.state.focusDeclined = true;
    }
}

void sendText(Engine& engine, Index entry) {
    std::string text = engine.argument(entry);
    std::size_t n = characterCount(text);
    if (n == 0) return;
    if (n > 1) {
        KeyStringResult parsed = parseKeyString(text);
        if (!parsed.error.empty()) {
            engine.toolkit.dialogs.messageBox(parsed.error, kAppTitle, platform::MessageStyle::Ok);
            return;
        }
        engine.typeKeys(text, parsed.strokes);
        return;
    }
    if (isAsciiLetterOrDigit(text[0])) {
        // The key of the letter or digit: code = the upper-case character.
        char c = text[0];
        auto code = static_cast<std::uint8_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        engine.input.tap(code, 1);
    } else {
        engine.typeKeys(text, {platform::KeyStroke{platform::KeyStroke::Kind::Char,
                                                   decodeFirstCharacter(text), 0}});
    }
    engine.toolkit.events.shortWait(1);
}

}  // namespace keyloom::focusNkey
