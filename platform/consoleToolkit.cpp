// The player's toolkit, apart from what catches stop requests: the clock,
// waits that a stop request ends, and message boxes written one line each on
// the message stream, where a terminal shows them as they are.
#include "platform/consoleToolkit.h"

#include <chrono>
#include <csignal>
#include <ostream>

namespace keyloom::platform {

std::atomic<int> ConsoleToolkit::StopRecord::interrupts{0};
std::atomic<int> ConsoleToolkit::StopRecord::ending{0};

void ConsoleToolkit::StopRecord::interrupted() {
    if (interrupts.fetch_add(1) >= 1) ended(SIGINT);
}

void ConsoleToolkit::StopRecord::ended(int signal) {
    int expected = 0;
    ending.compare_exchange_strong(expected, signal);
}

ConsoleToolkit::ConsoleToolkit(std::ostream& messages) : messages_(messages) {
    StopRecord::interrupts = 0;
    StopRecord::ending = 0;
    catchStops();
}

ConsoleToolkit::~ConsoleToolkit() { releaseStops(); }

double ConsoleToolkit::now() {
    using Seconds = std::chrono::duration<double>;
    return std::chrono::duration_cast<Seconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void ConsoleToolkit::waitUntil(double deadline) {
    // A stop request ends the wait.
    while (now() < deadline && pendingStop() == StopRequest::NoRequest) pauseUntil(deadline);
}

void ConsoleToolkit::shortWait(int ms) { waitUntil(now() + ms / 1000.0); }

StopRequest ConsoleToolkit::pendingStop() {
    if (StopRecord::ending != 0) return StopRequest::Abandon;
    return StopRecord::interrupts != 0 ? StopRequest::Stop : StopRequest::NoRequest;
}

int ConsoleToolkit::endingSignal() const { return StopRecord::ending; }

MessageAnswer ConsoleToolkit::messageBox(const std::string& text, const std::string&,
                                         MessageStyle style) {
    // The box's lines, joined by spaces: a raw CR would send the cursor back
    // over what was printed.
    std::string line = messagePrefix ? messagePrefix() : std::string();
    bool lineBreak = false;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            lineBreak = true;
            continue;
        }
        if (lineBreak && !line.empty() && line.back() != ' ') line += ' ';
        lineBreak = false;
        line += c;
    }
    messages_ << line;
    if (style == MessageStyle::YesNoQuestion) {
        messages_ << " [answered No]" << std::endl;
        return MessageAnswer::No;
    }
    messages_ << std::endl;
    return MessageAnswer::Ok;
}

}  // namespace keyloom::platform
