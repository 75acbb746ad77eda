// The toolkit of the headless player: no windows. Messages go to stderr, one
// line each (the box's lines joined by spaces), a question is answered with
// its default button (No), and waits sleep. SIGINT asks the run to stop (a
// second one abandons it at once); SIGTERM and SIGHUP abandon it at once. On
// Windows, Ctrl+C and Ctrl+Break act as SIGINT does.
#pragma once

#include <atomic>
#include <csignal>
#include <functional>
#include <iosfwd>
#include <string>

#include "platform/platform.h"

namespace keyloom::platform {

class ConsoleToolkit final : public Toolkit {
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

private:
#ifndef _WIN32
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    // What the handler records: the SIGINTs so far, and the signal that
    // abandons the run.
    struct SignalRecord {
        static std::atomic<int> interrupts;
        static std::atomic<int> ending;
        static void onSignal(int signal);
    };
#endif
    std::ostream& messages_;
};

}  // namespace keyloom::platform
