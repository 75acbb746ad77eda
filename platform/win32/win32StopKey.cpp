// The stop key: physical presses of Pause, seen by a low-level keyboard hook
// on a thread of its own. Keys that any program injects (our own Press_Pause
// included) carry LLKHF_INJECTED and never count.
#include <windows.h>

#include <atomic>

#include "platform/win32/win32Desktop.h"

namespace keyloom::platform {

struct Win32Desktop::StopKeyWatch {
    std::atomic<int> presses{0};
    bool down = false;  // Pause is held: its auto-repeat is no new press
    HANDLE ready = nullptr;
    DWORD threadId = 0;
    HANDLE thread = nullptr;
};

namespace {

// A hook procedure gets no pointer of ours; it runs on the thread that set
// the hook, so that thread keeps its watch here.
thread_local Win32Desktop::StopKeyWatch* hookWatch = nullptr;

LRESULT CALLBACK onLowLevelKey(int code, WPARAM message, LPARAM data) {
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
    if (code == HC_ACTION && hookWatch != nullptr && key->vkCode == VK_PAUSE &&
        (key->flags & LLKHF_INJECTED) == 0) {
        bool press = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
        if (press && !hookWatch->down) ++hookWatch->presses;
        hookWatch->down = press;
    }
    return CallNextHookEx(nullptr, code, message, data);
}

DWORD WINAPI watchKeys(void* parameter) {
    auto* watch = static_cast<Win32Desktop::StopKeyWatch*>(parameter);
    hookWatch = watch;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread gets its message queue
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, onLowLevelKey, GetModuleHandleW(nullptr), 0);
    SetEvent(watch->ready);
    // A low-level hook is called through this thread's message loop.
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    if (hook != nullptr) UnhookWindowsHookEx(hook);
    hookWatch = nullptr;
    return 0;
}

}  // namespace

Win32Desktop::Win32Desktop()
    : stopKey_(std::make_unique<StopKeyWatch>()), injectedButtonsFollowSwap_(!win32::runningOnWine()) {
    stopKey_->ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    stopKey_->thread = CreateThread(nullptr, 0, watchKeys, stopKey_.get(), 0, &stopKey_->threadId);
    if (stopKey_->thread != nullptr) WaitForSingleObject(stopKey_->ready, INFINITE);
}

Win32Desktop::~Win32Desktop() {
    if (stopKey_->thread != nullptr) {
        PostThreadMessageW(stopKey_->threadId, WM_QUIT, 0, 0);
        WaitForSingleObject(stopKey_->thread, INFINITE);
        CloseHandle(stopKey_->thread);
    }
    CloseHandle(stopKey_->ready);
}

bool Win32Desktop::stopKeyPressed() {
    int presses = stopKey_->presses.load();
    while (presses > 0 && !stopKey_->presses.compare_exchange_weak(presses, presses - 1)) {
    }
    return presses > 0;
}

}  // namespace keyloom::platform
