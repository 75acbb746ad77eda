#include "actions/heldInput.h"

#include <algorithm>

namespace keyloom {

void HeldInput::key(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) {
    if (state_.abandoned) return;
    desktop_.keybdEvent(vk, scan, flags);
    bool up = (flags & platform::kKeyUp) != 0;
    if (up) {
        if (down_.test(vk)) {
            down_.reset(vk);
            order_.erase(std::find(order_.begin(), order_.end(), vk));
        }
    } else if (!down_.test(vk)) {
        down_.set(vk);
        order_.push_back(vk);
    }
}

void HeldInput::tap(std::uint8_t vk, std::uint8_t scan) {
    key(vk, scan, platform::kKeyDown);
    key(vk, scan, platform::kKeyUp);
}

void HeldInput::button(std::uint32_t flags) {
    if (state_.abandoned) return;
    desktop_.mouseEvent(flags);
    if (flags == platform::kLeftDown) left_ = true;
    if (flags == platform::kLeftUp) left_ = false;
    if (flags == platform::kRightDown) right_ = true;
    if (flags == platform::kRightUp) right_ = false;
}

void HeldInput::releaseAll() {
    // Sent even when the program is going away: nothing may stay held.
    while (!order_.empty()) {
        std::uint8_t vk = order_.back();
        order_.pop_back();
        down_.reset(vk);
        desktop_.keybdEvent(vk, 0, platform::kKeyUp);
    }
    if (left_) desktop_.mouseEvent(platform::kLeftUp);
    if (right_) desktop_.mouseEvent(platform::kRightUp);
    left_ = right_ = false;
}

}  // namespace keyloom
