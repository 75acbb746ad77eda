// The desktop of GNOME on Wayland (mutter, gnome-shell), over D-Bus: keys and
// the pointer through a RemoteDesktop session of mutter held for the life of
// the object; the windows, the cursor position and text off the keyboard
// layout through Keyloom's GNOME Shell extension (platform/gnome/extension).
// The pointer is put at a place through a screen cast of its monitor where
// PipeWire runs, else by relative moves (from where the extension says the
// cursor is, or from the top-left corner). Without the extension no window
// can be found, and text off the layout goes through the clipboard and Ctrl+V.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace keyloom::platform {

// The extension's identifier, and the command that enables it.
inline constexpr const char* kGnomeExtensionUuid = "keyloom@keyloom.org";
inline constexpr const char* kGnomeExtensionCommand = "gnome-extensions enable keyloom@keyloom.org";

class GnomeDesktop final : public Desktop {
public:
    // True when mutter's RemoteDesktop service is on the session bus and the
    // compositor's socket ($WAYLAND_DISPLAY) is there.
    static bool available();
    // Starts a RemoteDesktop session (with a screen cast linked to it where
    // mutter can cast); nothing when that fails, with the reason in `error`.
    static std::unique_ptr<GnomeDesktop> open(std::string* error);
    ~GnomeDesktop() override;
    GnomeDesktop(const GnomeDesktop&) = delete;
    GnomeDesktop& operator=(const GnomeDesktop&) = delete;

    // Whether GNOME Shell runs (else mutter alone), and Keyloom's extension
    // answers in it.
    bool hasShell() const;
    bool hasExtension() const;
    // Why the pointer is put by relative moves (no screen cast); empty when
    // it is put at the place itself.
    const std::string& relativePointer() const;

    void keybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override;
    void mouseEvent(std::uint32_t flags) override;
    void setCursorPos(int x, int y) override;
    // From the extension; else the last position this desktop put the pointer at.
    Point getCursorPos() override;
    // From the input devices where they may be read (evdevInput.h).
    std::int16_t getAsyncKeyState(int vk) override;
    void setKeyboardState(const std::array<std::uint8_t, 256>&) override {}
    int swapMouseButton(int) override { return 0; }
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
    // The Pause key where the input devices may be read; `keyloom --stop`.
    bool stopKeyPressed() override;
    bool claimRun() override;
    void endRun() override;
    void sync() override;
    bool tellsCursorPosition() override { return hasExtension(); }
    bool seesInput() override;
    // Why other programs' keys cannot be read, when seesInput() is false.
    const std::string& inputUnseen() const;

    struct Impl;  // the session and its state, shared by the gnome*.cpp files

private:
    explicit GnomeDesktop(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace keyloom::platform
