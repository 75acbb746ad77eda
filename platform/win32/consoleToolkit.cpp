// The player's stop requests on Windows: Ctrl+C or Ctrl+Break asks the run to
// stop (and ends a pause), a second one abandons it at once; pauses use a
// high-resolution waitable timer.
#include "platform/consoleToolkit.h"

#include <windows.h>

namespace keyloom::platform {
namespace {

// A console control handler runs on a thread of its own and can only reach
// static storage: besides the stop record, an event that wakes a pause at the
// first request.
std::atomic<HANDLE> stopEvent{nullptr};

BOOL WINAPI onConsoleControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    ConsoleToolkit::StopRecord::interrupted();
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

}  // namespace

void ConsoleToolkit::catchStops() {
    stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

void ConsoleToolkit::releaseStops() {
    SetConsoleCtrlHandler(onConsoleControl, FALSE);
    if (HANDLE event = stopEvent.exchange(nullptr)) CloseHandle(event);
}

void ConsoleToolkit::pauseUntil(double deadline) {
    const double remaining = deadline - now();
    if (remaining <= 0) return;
    HANDLE timer = makeWaitTimer();
    if (timer == nullptr) {
        Sleep(static_cast<DWORD>(remaining * 1000.0) + 1);
        return;
    }
    LARGE_INTEGER due{};
    due.QuadPart = -static_cast<LONGLONG>(remaining * 1e7) - 1;  // relative, 100 ns units
    SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE);
    HANDLE event = stopEvent.load();
    HANDLE handles[2] = {timer, event};
    WaitForMultipleObjects(event != nullptr ? 2 : 1, handles, FALSE, INFINITE);
    CloseHandle(timer);
}

}  // namespace keyloom::platform
