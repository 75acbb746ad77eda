// Every key and button event of a run goes through here, so that the keys and
// buttons a run leaves down can be released when it ends, and nothing at all
// is sent once the program is going away.
#pragma once

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
    bool anyHeld() const { return !held_.empty(); }

private:
    // A key (its virtual-key code) or a mouse button (the flag that releases it).
    struct Held {
        bool isButton;
        std::uint32_t code;
        friend bool operator==(const Held&, const Held&) = default;
    };
    void pressed(Held held);
    void released(Held held);

    platform::Desktop& desktop_;
    const RunState& state_;
    std::vector<Held> held_;  // in the order they went down
};

}  // namespace keyloom
