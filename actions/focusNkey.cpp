#include "actions/focusNkey.h"

#include <algorithm>

#include "actions/keyString.h"
#include "engine/engine.h"
#include "engine/vocabulary.h"

namespace keyloom::focusNkey {
namespace {

// Number of characters (code points) of UTF-8 text.
std::size_t characterCount(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

bool isAsciiLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The lock a lock key switches.
platform::LockKey lockOf(std::uint8_t key) {
    if (key == vk::kNumLock) return platform::LockKey::Num;
    if (key == vk::kScroll) return platform::LockKey::Scroll;
    return platform::LockKey::Caps;
}

}  // namespace

void pressKey(Engine& engine, Index) {
    const CommandWord* word = vocabulary::find(engine.state.curToken);
    if (word == nullptr) return;
    switch (word->action) {
    case KeyAction::Tap: engine.input.tap(word->key); break;
    case KeyAction::Down: engine.input.key(word->key, 0, platform::kKeyDown); break;
    case KeyAction::Up: engine.input.key(word->key, 0, platform::kKeyUp); break;
    case KeyAction::DownLetEvents:
        engine.input.key(word->key, 0, platform::kKeyDown);
        engine.toolkit.events.letEventsRun();
        break;
    case KeyAction::UpLetEvents:
        engine.input.key(word->key, 0, platform::kKeyUp);
        engine.toolkit.events.letEventsRun();
        break;
    default: break;
    }
}

void setLock(Engine& engine, Index) {
    const CommandWord* word = vocabulary::find(engine.state.curToken);
    if (word == nullptr) return;
    const bool on = word->action == KeyAction::LockOn;
    if (engine.desktop.lockKeyOn(lockOf(word->key)) != on) engine.input.tap(word->key);
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
