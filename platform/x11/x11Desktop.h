// The desktop of an X11 session: XTest for synthetic input, Xlib for the
// cursor, key state and windows.
#pragma once

#include <memory>
#include <string>

#include "platform/linux/keysyms.h"
#include "platform/platform.h"

namespace keyloom::platform {

class X11Desktop final : public Desktop {
public:
    // Connects to `displayName` (nullptr: $DISPLAY); nothing when the display
    // cannot be opened or lacks the XTest extension, with the reason in `error`.
    static std::unique_ptr<X11Desktop> open(const char* displayName, std::string* error);
    ~X11Desktop() override;
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    void keybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override;
    void mouseEvent(std::uint32_t flags) override;
    void setCursorPos(int x, int y) override;
    Point getCursorPos() override;
    std::int16_t getAsyncKeyState(int vk) override;
    void setKeyboardState(const std::array<std::uint8_t, 256>& states) override;
    int swapMouseButton(int swap) override;
    bool lockKeyOn(LockKey key) override;
    KeySet keysDown() override;
    bool mouseButtonsSwapped() override;
    bool activateWindow(const std::string& title) override;
    void typeKeys(const std::string& text, const std::vector<KeyStroke>& strokes,
                  const StopCheck& stopAsked) override;
    std::optional<long> startProgram(const std::string& commandLine) override;
    bool activateProcessWindow(long pid) override;
    bool openDocument(const std::string& path) override;
    bool stopKeyPressed() override;
    // The desktop is claimed through a selection that a window of ours owns
    // for as long as the run goes on: the server drops it when the program
    // ends in any way.
    bool claimRun() override;
    void endRun() override;

    // Waits until the server has processed every request sent so far.
    void sync() override;

    struct Impl;  // the connection and per-feature state, shared by the x11*.cpp files

private:
    explicit X11Desktop(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace keyloom::platform
