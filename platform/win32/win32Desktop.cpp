#include "platform/win32/win32Desktop.h"

#include <windows.h>

namespace keyloom::platform {
namespace {

int lockKeyCode(LockKey key) {
    switch (key) {
    case LockKey::Caps: return VK_CAPITAL;
    case LockKey::Num: return VK_NUMLOCK;
    case LockKey::Scroll: return VK_SCROLL;
    }
    return VK_CAPITAL;
}

}  // namespace

void Win32Desktop::keybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) {
    keybd_event(vk, scan, flags, 0);
}

void Win32Desktop::mouseEvent(std::uint32_t flags) { mouse_event(flags, 0, 0, 0, 0); }

void Win32Desktop::setCursorPos(int x, int y) { SetCursorPos(x, y); }

Point Win32Desktop::getCursorPos() {
    POINT p{};
    GetCursorPos(&p);
    return {static_cast<int>(p.x), static_cast<int>(p.y)};
}

std::int16_t Win32Desktop::getAsyncKeyState(int vk) { return GetAsyncKeyState(vk); }

void Win32Desktop::setKeyboardState(const std::array<std::uint8_t, 256>& states) {
    std::array<BYTE, 256> table = states;
    SetKeyboardState(table.data());
}

int Win32Desktop::swapMouseButton(int swap) { return SwapMouseButton(swap) ? 1 : 0; }

bool Win32Desktop::lockKeyOn(LockKey key) { return (GetKeyState(lockKeyCode(key)) & 1) != 0; }

}  // namespace keyloom::platform
