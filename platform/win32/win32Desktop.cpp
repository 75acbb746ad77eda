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

std::uint32_t otherButton(std::uint32_t flags) {
    switch (flags) {
    case kLeftDown: return kRightDown;
    case kLeftUp: return kRightUp;
    case kRightDown: return kLeftDown;
    case kRightUp: return kLeftUp;
    }
    return flags;
}

}  // namespace

bool win32::runningOnWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

Win32Desktop::Win32Desktop() : injectedButtonsFollowSwap_(!win32::runningOnWine()) {
    GetAsyncKeyState(VK_PAUSE);  // a press from before we were there is no stop key
}

Win32Desktop::~Win32Desktop() = default;

void Win32Desktop::keybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) {
    if (vk == VK_PAUSE && (flags & kKeyUp) == 0) expectOwnPause();
    keybd_event(vk, scan, flags, 0);
}

void Win32Desktop::mouseEvent(std::uint32_t flags) {
    // The flags name the primary and secondary buttons; the system takes them
    // for the physical ones and swaps them when the user swapped the buttons.
    if (injectedButtonsFollowSwap_ && mouseButtonsSwapped()) flags = otherButton(flags);
    mouse_event(flags, 0, 0, 0, 0);
}

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

bool Win32Desktop::mouseButtonsSwapped() { return GetSystemMetrics(SM_SWAPBUTTON) != 0; }

bool Win32Desktop::lockKeyOn(LockKey key) { return (GetKeyState(lockKeyCode(key)) & 1) != 0; }

}  // namespace keyloom::platform
