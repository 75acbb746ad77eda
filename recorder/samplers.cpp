#include "recorder/samplers.h"

#include <string>

#include "recorder/keyTable.h"

namespace keyloom::recorder {
namespace {

const std::string_view kMouseMove = vocabulary::wordOf(mEvents::mouseMove);
const std::string_view kLDown = vocabulary::wordOf(mEvents::lDown);
const std::string_view kLUp = vocabulary::wordOf(mEvents::lUp);

}  // namespace

void Samplers::keyboardPass() {
    const platform::KeySet down = desktop_.keysDown();
    for (const KeyRow& row : kKeyTable)
        if (down.test(row.vk)) recording_.appendLine(row.line());
    desktop_.setKeyboardState(kKeyStates);
}

void Samplers::cursorSample() {
    if (!desktop_.tellsCursorPosition()) return;  // where this program put it is no move of the user's
    const platform::Point at = desktop_.getCursorPos();
    if (at.x == state_.lastX && at.y == state_.lastY) return;
    recording_.appendLine(
        vocabulary::withValue(kMouseMove, std::to_string(at.x) + "," + std::to_string(at.y)));
    state_.lastX = at.x;
    state_.lastY = at.y;
}

void Samplers::buttonSample() {
    // The physical button that acts as the primary one.
    recordLeftButton(mouseSwapped() ? vk::kRButton : vk::kLButton);
    toolkit_.events.letEventsRun();
    toolkit_.events.sleep(kButtonPause);
}

bool Samplers::mouseSwapped() { return desktop_.mouseButtonsSwapped(); }

bool Samplers::recordLeftButton(int vk) {
    // Down now (bit 15) or pressed since the previous query (bit 0).
    const bool down = desktop_.getAsyncKeyState(vk) != 0;
    if (!down && !state_.upWritten) {
        recording_.appendLine(kLUp);
        state_.upWritten = true;
    }
    if (down) {
        recording_.appendLine(kLDown);
        state_.upWritten = false;
    }
    return down;
}

}  // namespace keyloom::recorder
