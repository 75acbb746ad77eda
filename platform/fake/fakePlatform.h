// A desktop and toolkit that act on nothing. Every operation is written as
// one line ("key 9 down", "move 10 20", "wait 1.500", "message TEXT" ...) to
// a log or a stream, and the answers can be scripted: the next message box
// answer, the next dialog path, titles that have no window, programs that do
// not start. Its clock jumps over waits. The player's --dry-run prints
// through it; tests read its log.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace keyloom::platform {

class FakePlatform : public Desktop, public EventLoop, public Dialogs {
public:
    // Lines go to `sink` when one is given, otherwise into `log`.
    explicit FakePlatform(std::ostream* sink = nullptr) : sink_(sink) {}

    std::vector<std::string> log;
    // Also log toolkit calls that a dry run does not print: "events",
    // "short N", "dialog ...", "help", "clipboard ...".
    bool logToolkit = false;

    // Scripts.
    std::deque<MessageAnswer> answers;  // else OK boxes answer Ok and questions No
    std::deque<std::optional<std::string>> dialogPaths;  // else the dialog is cancelled
    std::set<std::string> missingTitles;                 // activation by these titles fails
    std::set<std::string> failingPrograms;               // these command lines do not start
    std::set<std::string> unopenableDocuments;           // these paths do not open
    std::set<std::string> untypableTexts;                // typing these reports a failure
    int windowlessPolls = 0;  // process activations that fail before one succeeds
    int busyClaims = 0;  // claimRun() answers false this many times (always when < 0)
    bool typingAsksStop = false;  // typeKeys asks once, after typing, whether to stop
    std::map<int, std::int16_t> keyStates;  // getAsyncKeyState answers
    bool buttonsSwapped = false;
    std::array<bool, 3> locks{};  // Caps, Num, Scroll; toggled by their key-down events
    Point cursor;
    bool cursorTold = true;  // tellsCursorPosition()
    bool inputSeen = true;   // seesInput()
    int stopKeyPresses = 0;     // stopKeyPressed() answers true this many times
    StopRequest stopRequest = StopRequest::NoRequest;  // what pendingStop() answers
    std::optional<std::string> clipboard;
    bool helpAvailable = true;
    // Called whenever window events run (letEventsRun, waitUntil, shortWait):
    // a test presses Stop, Run or edits the list from here.
    std::function<void()> onEvents;

    double clock = 1000.0;
    int eventRuns = 0;
    int resetCount = 0;  // setKeyboardState calls

    // Desktop.
    void keybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override;
    void mouseEvent(std::uint32_t flags) override;
    void setCursorPos(int x, int y) override;
    Point getCursorPos() override { return cursor; }
    bool tellsCursorPosition() override { return cursorTold; }
    bool seesInput() override { return inputSeen; }
    std::int16_t getAsyncKeyState(int vk) override;
    void setKeyboardState(const std::array<std::uint8_t, 256>& states) override;
    int swapMouseButton(int swap) override;
    bool lockKeyOn(LockKey key) override { return locks[static_cast<std::size_t>(key)]; }
    bool activateWindow(const std::string& title) override;
    // Types all at once: nothing is asked between slices (see typingAsksStop).
    std::string typingFailure() override { return typingFailure_; }
    void typeKeys(const std::string& text, const std::vector<KeyStroke>& strokes,
                  const StopCheck& stopAsked) override;
    std::optional<long> startProgram(const std::string& commandLine) override;
    bool activateProcessWindow(long pid) override;
    bool openDocument(const std::string& path) override;
    bool stopKeyPressed() override;
    bool claimRun() override {
        if (busyClaims == 0) return true;
        --busyClaims;
        return false;
    }

    // EventLoop and Dialogs.
    double now() override { return clock; }
    void letEventsRun() override;
    void waitUntil(double deadline) override;
    // One wait line, as for waitUntil: the clock jumps over it.
    void waitUnlessStopped(double deadline, const StopCheck&) override { waitUntil(deadline); }
    void shortWait(int ms) override;
    void sleep(int ms) override;  // the clock moves on; logged as "sleep N"
    MessageAnswer messageBox(const std::string& text, const std::string& title,
                             MessageStyle style) override;
    std::optional<std::string> fileDialog(DialogKind kind, const std::string& filter,
                                          int filterIndex) override;
    bool showHelp() override;
    std::optional<std::string> clipboardText() override { return clipboard; }
    void setClipboardText(const std::string& text) override;
    // A sink that can no longer be written to (a full disk, a closed pipe)
    // abandons the run: nothing it does could be told.
    StopRequest pendingStop() override {
        return sink_ != nullptr && !*sink_ ? StopRequest::Abandon : stopRequest;
    }

    // The strokes of the last typeKeys call.
    std::vector<KeyStroke> lastStrokes;

private:
    void write(const std::string& line);
    void toolkitLine(const std::string& line);
    void eventsRan();

    std::ostream* sink_;
    long nextPid_ = 1000;
    std::string typingFailure_;
};

}  // namespace keyloom::platform
