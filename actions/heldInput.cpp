#include "actions/heldInput.h"

#include <algorithm>

namespace keyloom {

void HeldInput::pressed(Held held) {
    if (std::find(held_.begin(), held_.end(), held) == held_.end()) held_.push_back(held);
}

void HeldInput::released(Held held) {
    auto it = std::find(held_.begin(), held_.end(), held);
    if (it != held_.end()) held_.erase(it);
}

void HeldInput::key(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) {
    if (state_.abandoned) return;
    desktop_.keybdEvent(vk, scan, flags);
    if ((flags & platform::kKeyUp) != 0)
        released({false, vk});
    else
        pressed({false, vk});
}

void HeldInput::tap(std::uint8_t vk, std::uint8_t scan) {
    key(vk, scan, platform::kKeyDown);
    key(vk, scan, platform::kKeyUp);
}

void HeldInput::button(std::uint32_t flags) {
    if (state_.abandoned) return;
    desktop_.mouseEvent(flags);
    if (flags == platform::kLeftDown) pressed({true, platform::kLeftUp});
    if (flags == platform::kRightDown) pressed({true, platform::kRightUp});
    if (flags == platform::kLeftUp || flags == platform::kRightUp) released({true, flags});
}

void HeldInput::releaseAll() {
    // Sent even when the program is going away: nothing may stay held.
    while (!held_.empty()) {
        Held last = held_.back();
        held_.pop_back();
        if (last.isButton)
            desktop_.mouseEvent(last.code);
        else
            desktop_.keybdEvent(static_cast<std::uint8_t>(last.code), 0, platform::kKeyUp);
    }
}

}  // namespace keyloom
