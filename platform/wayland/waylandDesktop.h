// The desktop of a Wayland compositor built on wlroots (sway, Hyprland,
// labwc, river, Wayfire): keys and text through a virtual keyboard with a
// keymap of our own, the pointer through a virtual pointer, windows through
// the foreign-toplevel list. Wayland gives a client neither the cursor
// position nor other programs' keys: those read as nothing here.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace keyloom::platform {

class WaylandDesktop final : public Desktop {
public:
    // Connects to `displayName` (nullptr: $WAYLAND_DISPLAY); nothing when the
    // compositor cannot be reached or does not offer the virtual keyboard,
    // with the reason in `error`.
    static std::unique_ptr<WaylandDesktop> open(const char* displayName, std::string* error);
    ~WaylandDesktop() override;
    WaylandDesktop(const WaylandDesktop&) = delete;
    WaylandDesktop& operator=(const WaylandDesktop&) = delete;

    void keybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override;
    void mouseEvent(std::uint32_t flags) override;
    void setCursorPos(int x, int y) override;
    // The last position this desktop moved the pointer to: Wayland tells no
    // client where the cursor is.
    Point getCursorPos() override;
    std::int16_t getAsyncKeyState(int vk) override;
    void setKeyboardState(const std::array<std::uint8_t, 256>& states) override;
    int swapMouseButton(int swap) override;
    bool lockKeyOn(LockKey key) override;
    KeySet keysDown() override;
    bool mouseButtonsSwapped() override { return false; }
    bool activateWindow(const std::string& title) override;
    void typeKeys(const std::string& text, const std::vector<KeyStroke>& strokes,
                  const StopCheck& stopAsked) override;
    std::optional<long> startProgram(const std::string& commandLine) override;
    bool activateProcessWindow(long pid) override;
    bool openDocument(const std::string& path) override;
    bool stopKeyPressed() override;
    bool tellsCursorPosition() override { return false; }
    bool seesInput() override;
    // Why other programs' keys cannot be read, when seesInput() is false.
    const std::string& inputUnseen() const;
    bool claimRun() override;
    void endRun() override;

    // Waits until the compositor has handled every request sent so far.
    void sync() override;

    // Whether the compositor offers a virtual pointer and its window list.
    bool hasPointer() const;
    bool hasWindowList() const;

    struct Impl;  // the connection and its objects, shared by the wayland*.cpp files

private:
    explicit WaylandDesktop(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace keyloom::platform
