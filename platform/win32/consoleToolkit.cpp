// The player's toolkit on Windows: Ctrl+C or Ctrl+Break asks the run to stop
// (and ends a wait), a second one abandons it at once; waits use a
// high-resolution waitable timer and the performance counter.
#include "platform/consoleToolkit.h"

#include <windows.h>

#include <atomic>
#include <ostream>

namespace keyloom::platform {
namespace {

// A console control handler runs on a thread of its own and can only reach
// static storage: the count of stop requests, and an event that wakes a wait
// at the first of them.
std::atomic<int> stopRequests{0};
std::atomic<HANDLE> stopEvent{nullptr};

BOOL WINAPI onConsoleControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    stopRequests.fetch_add(1);
    if (HANDLE event = stopEvent.load()) SetEvent(event);
    return TRUE;
}

// CREATE_WAITABLE_TIMER_HIGH_RESOLUTION (Windows 10, 1803).
constexpr DWORD kHighResolutionTimer = 0x00000002;

HANDLE makeWaitTimer() {
    HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS);
    // Earlier systems know only the ordinary timer.
    if (timer == nullptr) timer = CreateWaitableTimerW(nullptr, TRUE, nullptr);
    return timer;
}

double counterSeconds() {
    LARGE_INTEGER frequency{}, count{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

ConsoleToolkit::ConsoleToolkit(std::ostream& messages) : messages_(messages) {
    stopRequests = 0;
    stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

ConsoleToolkit::~ConsoleToolkit() {
    SetConsoleCtrlHandler(onConsoleControl, FALSE);
    if (HANDLE event = stopEvent.exchange(nullptr)) CloseHandle(event);
}

double ConsoleToolkit::now() { return counterSeconds(); }

void ConsoleToolkit::waitUntil(double deadline) {
    // A stop request ends the pause.
    HANDLE timer = makeWaitTimer();
    for (;;) {
        double remaining = deadline - now();
        if (remaining <= 0 || stopRequests >= 1) break;
        HANDLE event = stopEvent.load();
        if (timer == nullptr) {
            Sleep(static_cast<DWORD>(remaining * 1000.0) + 1);
            continue;
        }
        LARGE_INTEGER due{};
        due.QuadPart = -static_cast<LONGLONG>(remaining * 1e7) - 1;  // relative, 100 ns units
        SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE);
        HANDLE handles[2] = {timer, event};
        WaitForMultipleObjects(event != nullptr ? 2 : 1, handles, FALSE, INFINITE);
    }
    if (timer != nullptr) CloseHandle(timer);
}

void ConsoleToolkit::shortWait(int ms) { waitUntil(now() + ms / 1000.0); }

int ConsoleToolkit::endingSignal() const { return stopRequests >= 2 ? SIGINT : 0; }

StopRequest ConsoleToolkit::pendingStop() {
    int requests = stopRequests;
    if (requests >= 2) return StopRequest::Abandon;
    return requests == 1 ? StopRequest::Stop : StopRequest::NoRequest;
}

}  // namespace keyloom::platform
