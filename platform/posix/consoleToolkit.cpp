#include "platform/consoleToolkit.h"

#include <csignal>
#include <ctime>
#include <ostream>

namespace keyloom::platform {
namespace {

// A signal handler can only reach static storage: the count of stop signals.
volatile std::sig_atomic_t stopSignals = 0;

extern "C" void onStopSignal(int) {
    if (stopSignals < 2) stopSignals = stopSignals + 1;
}

void install(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a sleep ends at once on a signal
    sigaction(signal, &action, nullptr);
}

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

}  // namespace

ConsoleToolkit::ConsoleToolkit(std::ostream& messages) : messages_(messages) {
    stopSignals = 0;
    install(SIGINT, onStopSignal);
    install(SIGTERM, onStopSignal);
}

ConsoleToolkit::~ConsoleToolkit() {
    install(SIGINT, SIG_DFL);
    install(SIGTERM, SIG_DFL);
}

double ConsoleToolkit::now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void ConsoleToolkit::waitUntil(double deadline) {
    // The pause runs out even when a stop is asked for; only abandoning ends it.
    const timespec until = toTimespec(deadline);
    while (stopSignals < 2) {
        int rc = clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
        if (rc == 0) return;
    }
}

void ConsoleToolkit::shortWait(int ms) { waitUntil(now() + ms / 1000.0); }

StopRequest ConsoleToolkit::pendingStop() {
    if (stopSignals >= 2) return StopRequest::Abandon;
    return stopSignals == 1 ? StopRequest::Stop : StopRequest::NoRequest;
}

}  // namespace keyloom::platform
