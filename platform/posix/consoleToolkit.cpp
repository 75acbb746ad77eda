// The player's stop requests on POSIX systems: SIGINT asks the run to stop (a
// second one abandons it), SIGTERM and SIGHUP abandon it; any of them ends a
// pause at once.
#include "platform/consoleToolkit.h"

#include <csignal>
#include <ctime>

namespace keyloom::platform {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

void install(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a sleep ends at once on a signal
    sigaction(signal, &action, nullptr);
}

}  // namespace

void ConsoleToolkit::catchStops() {
    for (int signal : kSignals)
        install(signal, [](int caught) {
            if (caught == SIGINT)
                StopRecord::interrupted();
            else
                StopRecord::ended(caught);
        });
}

void ConsoleToolkit::releaseStops() {
    for (int signal : kSignals) install(signal, SIG_DFL);
}

void ConsoleToolkit::pauseUntil(double deadline) {
    // A signal ends the pause when it reaches this thread; else the pause runs
    // out, and waits that test for a stop are cut in short slices.
    const double seconds = deadline - now();
    if (seconds <= 0) return;
    timespec pause{};
    pause.tv_sec = static_cast<time_t>(seconds);
    pause.tv_nsec = static_cast<long>((seconds - static_cast<double>(pause.tv_sec)) * 1e9);
    nanosleep(&pause, nullptr);
}

}  // namespace keyloom::platform
