// Every key and button event of a run goes through here, so that the keys and
// buttons a run leaves down can be released when it ends, and nothing at all
// is sent once the program is going away.
#pragma once

#include <bitset>
#include <cstdint>
#include <vector>

#include "engine/globalVariables.h"
#include "platform/platform.h"

namespace keyloom {

class HeldInput {
public:
    HeldInput(platform::Desktop& desktop, const RunState& state)
        : desktop_(desktop), state_(state) {}

    void key(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags);
    void tap(std::uint8_t vk, std::uint8_t scan = 0);
    void button(std::uint32_t flags);
    // Releases, last pressed first, every key and button still held.
    void releaseAll();
    bool anyHeld() const { return !order_.empty() || left_ || right_; }

private:
    platform::Desktop& desktop_;
    const RunState& state_;
    std::bitset<256> down_;
    std::vector<std::uint8_t> order_;  // held keys in the order they went down
    bool left_ = false;
    bool right_ = false;
};

}  // namespace keyloom
