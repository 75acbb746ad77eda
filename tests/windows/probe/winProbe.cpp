// keyloom-winprobe TITLE [--no-input] [--count]: a window of our own that
// logs what input reaches it.
// Prints "ready" once it is shown and has the keyboard focus, then one line
// per message, flushed at once:
//   keydown VK MODS / keyup VK MODS   (MODS: shift, ctrl, alt, lock (Caps Lock on)
//                                     joined by "+", or "-")
//   char U+XXXX                      (a character; surrogate pairs joined)
//   button left|right down|up X Y    (screen coordinates)
// With --count it prints no key lines but counts key events, which must be
// down and up of one key in turn; a line "count" on its standard input prints
// "count N in-order" (or "out-of-order").
// It ends on any other line (or the end) of its standard input (not with
// --no-input), on WM_CLOSE, or after ten minutes, whichever comes first.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

constexpr UINT_PTR kLifetimeTimer = 1;
constexpr UINT kLifetimeMs = 600000;
constexpr UINT kCountRequest = WM_APP + 1;

// The key events of --count mode.
struct KeyCount {
    bool counting = false;
    long events = 0;
    WPARAM vk = 0;
    bool inOrder = true;

    void add(bool down, WPARAM key) {
        if (events == 0) vk = key;
        inOrder = inOrder && key == vk && down == (events % 2 == 0);
        ++events;
    }
};

KeyCount& keyCount(HWND window) {
    return *reinterpret_cast<KeyCount*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void say(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string modifiers() {
    std::string mods;
    auto add = [&mods](int vk, const char* name) {
        if (GetKeyState(vk) >= 0) return;
        if (!mods.empty()) mods += '+';
        mods += name;
    };
    add(VK_SHIFT, "shift");
    add(VK_CONTROL, "ctrl");
    add(VK_MENU, "alt");
    if ((GetKeyState(VK_CAPITAL) & 1) != 0) mods += mods.empty() ? "lock" : "+lock";
    return mods.empty() ? "-" : mods;
}

void sayChar(WCHAR unit) {
    static WCHAR pendingHighSurrogate = 0;  // the first half of a pair, until the second comes
    unsigned long cp = unit;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        pendingHighSurrogate = unit;
        return;
    }
    if (unit >= 0xDC00 && unit <= 0xDFFF && pendingHighSurrogate != 0)
        cp = 0x10000 + ((pendingHighSurrogate - 0xD800ul) << 10) + (unit - 0xDC00ul);
    pendingHighSurrogate = 0;
    char text[32];
    std::snprintf(text, sizeof text, "char U+%04lX", cp);
    say(text);
}

void sayButton(const char* which, LPARAM lParam, HWND window) {
    POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(window, &p);
    say(std::string("button ") + which + " " + std::to_string(p.x) + " " + std::to_string(p.y));
}

LRESULT CALLBACK probeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (keyCount(window).counting)
            keyCount(window).add(true, wParam);
        else
            say("keydown " + std::to_string(wParam) + " " + modifiers());
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (keyCount(window).counting)
            keyCount(window).add(false, wParam);
        else
            say("keyup " + std::to_string(wParam) + " " + modifiers());
        return 0;
    case kCountRequest:
        say("count " + std::to_string(keyCount(window).events) +
            (keyCount(window).inOrder ? " in-order" : " out-of-order"));
        return 0;
    case WM_CHAR:
    case WM_SYSCHAR: sayChar(static_cast<WCHAR>(wParam)); return 0;
    case WM_LBUTTONDOWN: sayButton("left down", lParam, window); return 0;
    case WM_LBUTTONUP: sayButton("left up", lParam, window); return 0;
    case WM_RBUTTONDOWN: sayButton("right down", lParam, window); return 0;
    case WM_RBUTTONUP: sayButton("right up", lParam, window); return 0;
    case WM_TIMER:
        if (wParam == kLifetimeTimer) DestroyWindow(window);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

DWORD WINAPI watchInput(void* window) {
    char line[256];
    while (std::fgets(line, sizeof line, stdin) != nullptr && std::strcmp(line, "count\n") == 0)
        PostMessageW(static_cast<HWND>(window), kCountRequest, 0, 0);
    PostMessageW(static_cast<HWND>(window), WM_CLOSE, 0, 0);
    return 0;
}

bool hasOption(int argc, wchar_t** argv, const wchar_t* option) {
    for (int i = 2; i < argc; ++i)
        if (std::wcscmp(argv[i], option) == 0) return true;
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    const wchar_t* title = argc > 1 ? argv[1] : L"Keyloom Probe";
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = probeProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"KeyloomProbe";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW, 0, 0,
                                  800, 600, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) return 1;
    KeyCount count;
    count.counting = hasOption(argc, argv, L"--count");
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&count));
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    SetFocus(window);
    UpdateWindow(window);
    SetTimer(window, kLifetimeTimer, kLifetimeMs, nullptr);
    if (!hasOption(argc, argv, L"--no-input"))
        CloseHandle(CreateThread(nullptr, 0, watchInput, window, 0, nullptr));

    // Ready once the window has the keyboard focus.
    MSG msg;
    bool ready = false;
    for (;;) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return 0;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (!ready && GetFocus() == window && GetForegroundWindow() == window) {
            ready = true;
            say("ready");
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ready ? INFINITE : 10, QS_ALLINPUT);
    }
}
