// The desktop of a Windows session: the user32 input functions for synthetic
// input and key state, window activation, program starts and the shell's open.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace keyloom::platform {

class Win32Desktop final : public Desktop {
public:
    Win32Desktop();
    ~Win32Desktop() override;
    Win32Desktop(const Win32Desktop&) = delete;
    Win32Desktop& operator=(const Win32Desktop&) = delete;

    void keybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override;
    void mouseEvent(std::uint32_t flags) override;
    void setCursorPos(int x, int y) override;
    Point getCursorPos() override;
    std::int16_t getAsyncKeyState(int vk) override;
    void setKeyboardState(const std::array<std::uint8_t, 256>& states) override;
    int swapMouseButton(int swap) override;
    bool lockKeyOn(LockKey key) override;
    bool mouseButtonsSwapped() override;
    bool activateWindow(const std::string& title) override;
    void typeKeys(const std::string& text, const std::vector<KeyStroke>& strokes,
                  const StopCheck& stopAsked) override;
    std::optional<long> startProgram(const std::string& commandLine) override;
    bool activateProcessWindow(long pid) override;
    bool openDocument(const std::string& path) override;
    bool stopKeyPressed() override;

private:
    // A Pause key-down that we are about to inject: it is no stop key.
    void expectOwnPause();

    bool ownPauses_ = false;     // we pressed Pause since the last stop test
    bool pauseWasDown_ = false;  // Pause was down at the last stop test
    // Windows applies the swapped-buttons setting to injected buttons too;
    // Wine does not.
    bool injectedButtonsFollowSwap_;
};

namespace win32 {

// True under Wine, which differs from Windows in a few details of input.
bool runningOnWine();

// A window title as it compares without letter case (platform/titleMatch.h):
// Windows' own upper case of each UTF-16 unit.
std::string foldTitle(const std::string& text);

}  // namespace win32
}  // namespace keyloom::platform
