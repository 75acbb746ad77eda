// The services Keyloom needs from the desktop and from the window toolkit.
//
// `Desktop` is what reaches other programs: synthetic keys and buttons, the
// cursor, key state, window activation, typing, program starts. `Toolkit` is
// what the program's own windowing provides: its `EventLoop` (letting events
// run, waiting with events running, the clock) and its `Dialogs` (message
// boxes, file dialogs, help, the clipboard).
// The engine, the actions, the file routines and the window handlers call
// nothing else, so they run against the fake backend in tests and against a
// real backend (X11 today) in the programs.
//
// Callers validate; backends only execute.
#pragma once

#include <array>
#include <bitset>
#include <chrono>
#include <concepts>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace keyloom::platform {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// keybd_event flags.
inline constexpr std::uint32_t kKeyDown = 0;
inline constexpr std::uint32_t kKeyUp = 2;

// mouse_event flags: left is the primary button, right the secondary one,
// whatever the physical buttons are.
inline constexpr std::uint32_t kLeftDown = 2;
inline constexpr std::uint32_t kLeftUp = 4;
inline constexpr std::uint32_t kRightDown = 8;
inline constexpr std::uint32_t kRightUp = 16;

enum class LockKey { Caps, Num, Scroll };

// A set of virtual-key codes.
using KeySet = std::bitset<256>;

// One step of a typed key string, already checked by the notation parser.
struct KeyStroke {
    enum class Kind {
        Char,     // type this character, whatever keys it takes on the current layout
        Tap,      // press and release the key with virtual-key code `vk`
        Press,    // press and hold `vk` (a modifier of the notation)
        Release,  // release `vk`
    };
    Kind kind = Kind::Char;
    char32_t ch = 0;
    std::uint8_t vk = 0;
    friend bool operator==(const KeyStroke&, const KeyStroke&) = default;
};

// Asked between the slices of a long operation (typing, waiting): true when
// the operation is to end now.
using StopCheck = std::function<bool()>;

class Desktop {
public:
    virtual ~Desktop() = default;

    // keybd_event: vk and scan are 8-bit codes, flags kKeyDown or kKeyUp.
    virtual void keybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) = 0;
    // mouse_event: one of the k*Down/k*Up flags, at the current cursor position.
    virtual void mouseEvent(std::uint32_t flags) = 0;
    virtual void setCursorPos(int x, int y) = 0;
    virtual Point getCursorPos() = 0;

    // GetAsyncKeyState: bit 15 set while the key is down now; for the mouse
    // buttons (vk 1 and 2, physical left and right) bit 0 set when the button
    // was pressed since the previous query.
    virtual std::int16_t getAsyncKeyState(int vk) = 0;
    // Resets the key-state table of the calling thread where the platform has one.
    virtual void setKeyboardState(const std::array<std::uint8_t, 256>& states) = 0;
    // SwapMouseButton: nonzero result when the buttons were swapped before the call.
    virtual int swapMouseButton(int swap) = 0;
    virtual bool lockKeyOn(LockKey key) = 0;

    // The virtual-key codes of the keyboard keys that are down now (bit 15 of
    // getAsyncKeyState), read in one query where the platform has one. The
    // default asks getAsyncKeyState key by key, leaving out the mouse buttons
    // (codes 1, 2, 4, 5, 6): asking for one would clear its pressed-since bit.
    virtual KeySet keysDown() {
        KeySet down;
        for (int vk = 3; vk < 256; ++vk)
            if (vk != 4 && vk != 5 && vk != 6 && getAsyncKeyState(vk) < 0)
                down.set(static_cast<std::size_t>(vk));
        return down;
    }
    // True when the mouse buttons are swapped, so that the physical right
    // button is the primary one. The default probes with swapMouseButton and
    // puts the setting back; a platform that can read the setting overrides it.
    virtual bool mouseButtonsSwapped() {
        int before = swapMouseButton(0);
        if (before != 0) swapMouseButton(before);
        return before != 0;
    }

    // Brings the top-level window with this title to the front; false when
    // no window answers to it.
    virtual bool activateWindow(const std::string& title) = 0;
    // Types `strokes`, the parsed form of the key string `text`, in slices of
    // a few milliseconds with `stopAsked` asked between them (when given):
    // once it answers true, what was sent stays sent and the rest is dropped.
    virtual void typeKeys(const std::string& text, const std::vector<KeyStroke>& strokes,
                          const StopCheck& stopAsked) = 0;
    // What the last typeKeys could not type, and why ("the characters ...
    // ..."); empty when it typed everything asked.
    virtual std::string typingFailure() { return {}; }
    // Starts a program from a command line in a normal window; returns its
    // process id, or nothing when it cannot be started.
    virtual std::optional<long> startProgram(const std::string& commandLine) = 0;
    // Activates a top-level window of that process; false while it has none.
    virtual bool activateProcessWindow(long pid) = 0;
    // Opens a document with its default application; false when that fails.
    virtual bool openDocument(const std::string& path) = 0;
    // True once for each physical press of the stop key (Pause) since the
    // previous call. Keys the program injects itself never count.
    virtual bool stopKeyPressed() = 0;

    // One run at a time acts on a desktop, whatever program runs it: true
    // when this program may begin one now (it then has the desktop until
    // endRun), false while another run has it.
    virtual bool claimRun() { return true; }
    // The run has ended: what it changed for its own use (keys bound to
    // spare keycodes) is given back, and the next run may begin.
    virtual void endRun() {}

    // Waits until the desktop has handled everything sent so far, where it
    // queues what is sent.
    virtual void sync() {}

    // What the desktop tells a program. False when getCursorPos gives only
    // where this program last put the pointer (the read-outs then show no
    // position and the recorder writes no moves).
    virtual bool tellsCursorPosition() { return true; }
    // False when neither other programs' keys nor the physical mouse buttons
    // can be read: there is no stop key and nothing of them to record.
    virtual bool seesInput() { return true; }
};

enum class MessageStyle {
    Ok,             // OK button, no icon
    OkExclamation,  // OK button, exclamation icon
    YesNoQuestion,  // Yes and No, question icon, No is the default
};

enum class MessageAnswer { Ok, Yes, No };

enum class DialogKind { Open, SaveAs };

// What reaches the program from outside its windows while a run goes on
// (a signal for the player).
enum class StopRequest { NoRequest, Stop, Abandon };

// The program's own event loop: letting events run, waiting with events
// running, the clock, and what asks a run from outside to stop.
class EventLoop {
public:
    virtual ~EventLoop() = default;

    // Monotonic clock in seconds; it does not follow the time of day.
    virtual double now() = 0;
    // Lets pending window events run once and returns.
    virtual void letEventsRun() = 0;
    // Returns at `deadline` (never before), letting window events run meanwhile.
    virtual void waitUntil(double deadline) = 0;
    // The same, but returns as soon as `stopAsked` answers true; it is asked
    // every few milliseconds. The default waits in short slices.
    virtual void waitUnlessStopped(double deadline, const StopCheck& stopAsked) {
        constexpr double kSlice = 0.01;
        for (double t = now(); t < deadline && !(stopAsked && stopAsked()); t = now())
            waitUntil(t + kSlice < deadline ? t + kSlice : deadline);
    }
    // The short wait of a one-shot timer of `ms` milliseconds: lets events run
    // until the timer has ticked once.
    virtual void shortWait(int ms) = 0;
    // Sleep: blocks the program for `ms` milliseconds; no window event runs meanwhile.
    virtual void sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

    virtual StopRequest pendingStop() = 0;
};

// What the program shows and asks the user: message boxes, file dialogs,
// help, and the clipboard.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    virtual MessageAnswer messageBox(const std::string& text, const std::string& title,
                                     MessageStyle style) = 0;
    // A standard Open or Save As dialog. `filter` is "description|pattern|...",
    // `filterIndex` counts from 1. Nothing when the user cancels.
    virtual std::optional<std::string> fileDialog(DialogKind kind, const std::string& filter,
                                                  int filterIndex) = 0;
    // Shows the help book at its contents; false when it cannot be shown.
    virtual bool showHelp() = 0;

    virtual std::optional<std::string> clipboardText() = 0;
    virtual void setClipboardText(const std::string& text) = 0;
};

// The two together, as the engine and the window handlers take them: from
// one object that is both (the windowed and the console toolkits, the fake)
// or from two (a real event loop with scripted dialogs).
class Toolkit {
public:
    Toolkit(EventLoop& loop, Dialogs& boxes) : events(loop), dialogs(boxes) {}
    template <class Both>
        requires std::derived_from<Both, EventLoop> && std::derived_from<Both, Dialogs>
    Toolkit(Both& both) : Toolkit(static_cast<EventLoop&>(both), static_cast<Dialogs&>(both)) {}

    EventLoop& events;
    Dialogs& dialogs;
};

}  // namespace keyloom::platform
