// The recorder's three samplers: the keyboard, the cursor and the primary
// mouse button, each turned into macro lines at the end of the recording.
// They sample states at their timers' ticks; no key or mouse event is seen.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/platform.h"

namespace keyloom::recorder {

// Timer intervals in milliseconds, and the pause after each button sample.
inline constexpr int kKeyboardInterval = 150;
inline constexpr int kCursorInterval = 300;
inline constexpr int kButtonInterval = 200;
inline constexpr int kButtonPause = 25;

// Handed to SetKeyboardState after each keyboard pass: every key up, no
// toggle key on.
inline constexpr std::array<std::uint8_t, 256> kKeyStates{};

// Where the samplers write: the recording, one line at a time.
class Recording {
public:
    virtual ~Recording() = default;
    // Adds `line` and a line break at the end. The cost must not grow with
    // the length of the recording.
    virtual void appendLine(std::string_view line) = 0;
};

// What a recorder window remembers between samples: zero in a new window,
// and kept from one recording to the next in the same window.
struct SamplerState {
    // The position of the last "MouseMove" line written; 0,0 before any.
    std::int32_t lastX = 0;
    std::int32_t lastY = 0;
    // "LUp" was written for the current release of the primary button.
    bool upWritten = false;
};

class Samplers {
public:
    Samplers(platform::Desktop& desktop, platform::Toolkit toolkit, SamplerState& state,
             Recording& recording)
        : desktop_(desktop), toolkit_(toolkit), state_(state), recording_(recording) {}

    // One pass of the keyboard poll: a line for each key of the table that is
    // down now, in table order.
    void keyboardPass();
    // A "MouseMove" line when the cursor stands elsewhere than at the last
    // written position.
    void cursorSample();
    // "LDown" or "LUp" for the primary button; then window events run, and
    // the program pauses briefly.
    void buttonSample();

    // True when the physical right button is the primary one.
    bool mouseSwapped();
    // Samples the button with virtual-key code `vk`: "LDown" while it is down
    // or was pressed since the previous sample, one "LUp" at the first sample
    // after that. True when the button counts as down.
    bool recordLeftButton(int vk);

private:
    platform::Desktop& desktop_;
    platform::Toolkit toolkit_;
    SamplerState& state_;
    Recording& recording_;
};

}  // namespace keyloom::recorder
