#include "platform/consoleToolkit.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <ostream>

namespace keyloom::platform {
namespace {

timespec toTimespec(double seconds) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(seconds);
    ts.tv_nsec = static_cast<long>((seconds - static_cast<double>(ts.tv_sec)) * 1e9);
    if (ts.tv_nsec >= 1000000000L) {
        ts.tv_sec += 1;
        ts.tv_nsec -= 1000000000L;
    }
    return ts;
}

void install(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a sleep ends at once on a signal
    sigaction(signal, &action, nullptr);
}

}  // namespace

// A signal handler can reach nothing but static storage: the record lives
// here, installed and reset by the toolkit.
std::atomic<int> ConsoleToolkit::SignalRecord::interrupts{0};
std::atomic<int> ConsoleToolkit::SignalRecord::ending{0};

void ConsoleToolkit::SignalRecord::onSignal(int signal) {
    int expected = 0;
    if (signal != SIGINT) {
        ending.compare_exchange_strong(expected, signal);
    } else if (interrupts.fetch_add(1) >= 1) {
        ending.compare_exchange_strong(expected, signal);
    }
}

ConsoleToolkit::ConsoleToolkit(std::ostream& messages) : messages_(messages) {
    SignalRecord::interrupts = 0;
    SignalRecord::ending = 0;
    for (int signal : kSignals) install(signal, SignalRecord::onSignal);
}

ConsoleToolkit::~ConsoleToolkit() {
    for (int signal : kSignals) install(signal, SIG_DFL);
}

int ConsoleToolkit::endingSignal() const { return SignalRecord::ending; }

double ConsoleToolkit::now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void ConsoleToolkit::waitUntil(double deadline) {
    // A signal ends the pause (when it reaches this thread; else the pause
    // runs out, and waits that test for a stop are cut in short slices).
    const timespec until = toTimespec(deadline);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR &&
           pendingStop() == StopRequest::NoRequest) {
    }
}

void ConsoleToolkit::shortWait(int ms) { waitUntil(now() + ms / 1000.0); }

StopRequest ConsoleToolkit::pendingStop() {
    if (SignalRecord::ending != 0) return StopRequest::Abandon;
    return SignalRecord::interrupts != 0 ? StopRequest::Stop : StopRequest::NoRequest;
}

}  // namespace keyloom::platform
