// Finding and activating top-level windows, by title or by process.
#include <windows.h>

#include "platform/win32/win32Desktop.h"
#include "platform/titleMatch.h"
#include "platform/win32/win32Text.h"

namespace keyloom::platform {
namespace {

struct TopWindow {
    HWND handle;
    std::wstring title;
    DWORD pid;
    bool owned;  // a dialog or tool window of another window
};

BOOL CALLBACK collectWindow(HWND window, LPARAM list) {
    if (!IsWindowVisible(window)) return TRUE;
    TopWindow top{window, {}, 0, GetWindow(window, GW_OWNER) != nullptr};
    int length = GetWindowTextLengthW(window);
    if (length > 0) {
        top.title.resize(static_cast<std::size_t>(length) + 1);
        int copied = GetWindowTextW(window, top.title.data(), length + 1);
        top.title.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    }
    GetWindowThreadProcessId(window, &top.pid);
    reinterpret_cast<std::vector<TopWindow>*>(list)->push_back(std::move(top));
    return TRUE;
}

// The visible top-level windows, front to back.
std::vector<TopWindow> topWindows() {
    std::vector<TopWindow> windows;
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// Makes `window` the foreground window. Windows lets only the program that
// has the foreground (or had the last input) take it: sharing the input state
// of the foreground thread lifts that lock; a key event of our own is the
// last resort.
void bringToFront(HWND window) {
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    HWND front = GetForegroundWindow();
    DWORD frontThread = front != nullptr ? GetWindowThreadProcessId(front, nullptr) : 0;
    DWORD self = GetCurrentThreadId();
    bool attached = frontThread != 0 && frontThread != self &&
                    AttachThreadInput(self, frontThread, TRUE);
    BringWindowToTop(window);
    SetForegroundWindow(window);
    if (attached) AttachThreadInput(self, frontThread, FALSE);
    if (GetForegroundWindow() == window) return;
    keybd_event(VK_MENU, 0, KEYEVENTF_EXTENDEDKEY, 0);
    keybd_event(VK_MENU, 0, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
    SetForegroundWindow(window);
}

}  // namespace

std::string win32::foldTitle(const std::string& text) {
    std::wstring wide = toWide(text);
    CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return toUtf8(wide);
}

bool Win32Desktop::activateWindow(const std::string& title) {
    std::vector<TopWindow> windows = topWindows();
    std::vector<std::string> titles;
    titles.reserve(windows.size());
    for (const TopWindow& w : windows) titles.push_back(win32::toUtf8(w.title));
    auto pick = matchTitle(titles, title, win32::foldTitle);
    if (!pick) return false;
    bringToFront(windows[*pick].handle);
    return true;
}

bool Win32Desktop::activateProcessWindow(long pid) {
    // The process's main window: one that no other window owns, else any.
    std::vector<TopWindow> windows = topWindows();
    const TopWindow* found = nullptr;
    for (const TopWindow& w : windows) {
        if (w.pid != static_cast<DWORD>(pid)) continue;
        if (found == nullptr || (found->owned && !w.owned)) found = &w;
    }
    if (found == nullptr) return false;
    bringToFront(found->handle);
    return true;
}

}  // namespace keyloom::platform
