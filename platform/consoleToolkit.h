// The toolkit of the headless player: no windows. Messages go to stderr, one
// line each (the box's lines joined by spaces), a question is answered with
// its default button (No), and waits sleep. SIGINT asks the run to stop (a
// second one abandons it at once); SIGTERM and SIGHUP abandon it at once. On
// Windows, Ctrl+C and Ctrl+Break act as SIGINT does.
#pragma once

#include <atomic>
#include <functional>
#include <iosfwd>
#include <string>

#include "platform/platform.h"

namespace keyloom::platform {

class ConsoleToolkit final : public EventLoop, public Dialogs {
public:
    explicit ConsoleToolkit(std::ostream& messages);
    ~ConsoleToolkit() override;

    double now() override;
    void letEventsRun() override {}
    void waitUntil(double deadline) override;
    void shortWait(int ms) override;
    MessageAnswer messageBox(const std::string& text, const std::string& title,
                             MessageStyle style) override;
    std::optional<std::string> fileDialog(DialogKind, const std::string&, int) override {
        return std::nullopt;
    }
    bool showHelp() override { return false; }
    std::optional<std::string> clipboardText() override { return std::nullopt; }
    void setClipboardText(const std::string&) override {}
    StopRequest pendingStop() override;
    // The signal that abandoned the run; 0 when none did.
    int endingSignal() const;

    // Goes before each message: where in the macro it comes from.
    std::function<std::string()> messagePrefix;

    // What the handlers record: the interrupts so far (SIGINT, Ctrl+C), and
    // the signal that abandons the run. A handler reaches nothing but static
    // storage.
    struct StopRecord {
        static std::atomic<int> interrupts;
        static std::atomic<int> ending;
        // One more interrupt: the second abandons the run.
        static void interrupted();
        static void ended(int signal);
    };

private:
    // The per-platform half (platform/posix, platform/win32): catching what
    // asks a stop (signals; console controls on Windows), and pausing until
    // `deadline` or until one of them comes.
    static void catchStops();
    static void releaseStops();
    void pauseUntil(double deadline);

    std::ostream& messages_;
};

}  // namespace keyloom::platform
