// The desktop of KDE Plasma on Wayland (KWin): keys and the pointer through
// KWin's fake input (offered only to a program named in an installed
// .desktop file that asks for it), typed on the user's own keyboard map,
// with the keysyms it lacks put on its empty keys for the run (an XKB
// option of our own); windows and the cursor through a KWin script; the
// stop key and other programs' input from the input devices where the user
// may read them, and runs stopped by `--stop`, as on wlroots.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace keyloom::platform {

class KdeDesktop final : public Desktop {
public:
    // Connects to $WAYLAND_DISPLAY. Nothing when the compositor cannot be
    // reached, is not KWin (`*kwin` false), or does not let us in, with the
    // reason in `error`.
    static std::unique_ptr<KdeDesktop> open(std::string* error, bool* kwin);
    ~KdeDesktop() override;
    KdeDesktop(const KdeDesktop&) = delete;
    KdeDesktop& operator=(const KdeDesktop&) = delete;

    void keybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override;
    void mouseEvent(std::uint32_t flags) override;
    void setCursorPos(int x, int y) override;
    Point getCursorPos() override;
    std::int16_t getAsyncKeyState(int vk) override;
    void setKeyboardState(const std::array<std::uint8_t, 256>&) override {}
    int swapMouseButton(int) override { return 0; }
    // From KWin's key states (offered with the fake input when the
    // .desktop file asks for both); false without them.
    bool lockKeyOn(LockKey key) override;
    KeySet keysDown() override;
    bool mouseButtonsSwapped() override { return false; }
    bool activateWindow(const std::string& title) override;
    void typeKeys(const std::string& text, const std::vector<KeyStroke>& strokes,
                  const StopCheck& stopAsked) override;
    std::string typingFailure() override;
    std::optional<long> startProgram(const std::string& commandLine) override;
    bool activateProcessWindow(long pid) override;
    bool openDocument(const std::string& path) override;
    bool stopKeyPressed() override;
    bool claimRun() override;
    void endRun() override;
    bool tellsCursorPosition() override { return hasScript(); }
    bool seesInput() override;
    // Why other programs' keys cannot be read, when seesInput() is false.
    const std::string& inputUnseen() const;
    void sync() override;

    // Whether KWin's script runs (windows and the cursor).
    bool hasScript() const;

    struct Impl;

private:
    explicit KdeDesktop(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace keyloom::platform
