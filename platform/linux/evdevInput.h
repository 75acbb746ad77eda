// Other programs' keys and the physical mouse buttons, read from the input
// devices (/dev/input/event*) on desktops that show them to no program
// (Wayland). Only a user who may read those devices gets them: root, or a
// member of the group "input". Keys a program injects (virtual keyboards)
// never reach these devices.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace keyloom::platform {

class EvdevInput {
public:
    // Every readable keyboard and mouse; nothing when there is none, with
    // the reason in `why`.
    static std::unique_ptr<EvdevInput> open(std::string* why);
    ~EvdevInput();
    EvdevInput(const EvdevInput&) = delete;
    EvdevInput& operator=(const EvdevInput&) = delete;

    // GetAsyncKeyState over the devices: bit 15 while the key or button is
    // down; for the mouse buttons (vk 1, 2, 4) bit 0 when pressed since the
    // previous query.
    std::int16_t keyState(int vk);
    KeySet keysDown();
    // True once for each press of the Pause key since the previous call.
    bool stopKeyPressed();

    struct Devices;

private:
    explicit EvdevInput(std::unique_ptr<Devices> devices);
    std::unique_ptr<Devices> devices_;
};

// The input-device key code (KEY_*, BTN_*) of a virtual-key code on a US
// keyboard; 0 when it has none.
unsigned evdevCodeForVirtualKey(std::uint8_t vk);

}  // namespace keyloom::platform
