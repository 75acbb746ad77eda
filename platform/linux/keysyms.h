// Keysyms (X11 and XKB share their values) for the design's virtual-key codes
// and for characters: what the X11 and Wayland desktops put on their keys.
#pragma once

#include <cstdint>

namespace keyloom::platform {

// The keysym of a Windows virtual-key code on a US keyboard; 0 when it has none.
std::uint32_t keysymForVirtualKey(std::uint8_t vk);

// The keysym that types `ch` exactly; 0 when there is none. Programs read
// Unicode keysyms exactly; some legacy keysyms of symbols they read as other
// characters, so those are avoided above U+00FF.
std::uint32_t keysymForChar(char32_t ch);

}  // namespace keyloom::platform
