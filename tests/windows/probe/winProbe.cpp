// keyloom-winprobe [--no-input] [--count] TITLE: a window of our own that
// logs what input reaches it, in the lines of keyloom-probe (tests/probe), so
// that the same reader serves. Once it is shown and has the keyboard focus it
// prints "ready x=X y=Y width=W height=H" (its client area on the screen),
// then one line per message, flushed at once:
//   KeyPress keycode=VK state=0xM    (M: 1 Shift, 2 Caps Lock on, 4 Ctrl, 8 Alt)
//   KeyRelease ...
//   Char keysym=0xC                  (a character, C its code point; surrogate pairs joined)
//   ButtonPress button=1|3 x=X y=Y   (screen coordinates)
//   ButtonRelease ...
// With --count it prints no key lines but counts key events, which must be
// down and up of one key in turn, and a line "sync" on its standard input
// prints "count N in-order" (or "out-of-order"). "sync" is answered "synced"
// (no barrier: posted messages go before input ones).
// It ends on any other line (or the end) of its standard input (not with
// --no-input), on WM_CLOSE, or after ten minutes, whichever comes first.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <utility>

namespace {

constexpr UINT_PTR kLifetimeTimer = 1;
constexpr UINT kLifetimeMs = 600000;
constexpr UINT kSyncRequest = WM_APP + 1;

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

void sayKey(const char* kind, WPARAM vk) {
    unsigned state = (GetKeyState(VK_CAPITAL) & 1) != 0 ? 2 : 0;
    for (auto [key, mask] : {std::pair{VK_SHIFT, 1}, {VK_CONTROL, 4}, {VK_MENU, 8}})
        if (GetKeyState(key) < 0) state |= mask;
    char text[64];
    std::snprintf(text, sizeof text, "%s keycode=%u state=0x%x", kind, static_cast<unsigned>(vk),
                  state);
    say(text);
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
    std::snprintf(text, sizeof text, "Char keysym=0x%lx", cp);
    say(text);
}

void sayButton(const char* which, LPARAM lParam, HWND window) {
    POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(window, &p);
    say(std::string(which) + " x=" + std::to_string(p.x) + " y=" + std::to_string(p.y));
}

LRESULT CALLBACK probeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (keyCount(window).counting)
            keyCount(window).add(true, wParam);
        else
            sayKey("KeyPress", wParam);
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (keyCount(window).counting)
            keyCount(window).add(false, wParam);
        else
            sayKey("KeyRelease", wParam);
        return 0;
    case kSyncRequest:
        if (keyCount(window).counting)
            say("count " + std::to_string(keyCount(window).events) +
                (keyCount(window).inOrder ? " in-order" : " out-of-order"));
        say("synced");
        return 0;
    case WM_CHAR:
    case WM_SYSCHAR: sayChar(static_cast<WCHAR>(wParam)); return 0;
    case WM_LBUTTONDOWN: sayButton("ButtonPress button=1", lParam, window); return 0;
    case WM_LBUTTONUP: sayButton("ButtonRelease button=1", lParam, window); return 0;
    case WM_RBUTTONDOWN: sayButton("ButtonPress button=3", lParam, window); return 0;
    case WM_RBUTTONUP: sayButton("ButtonRelease button=3", lParam, window); return 0;
    case WM_TIMER:
        if (wParam == kLifetimeTimer) DestroyWindow(window);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

DWORD WINAPI watchInput(void* window) {
    char line[256];
    while (std::fgets(line, sizeof line, stdin) != nullptr && std::strcmp(line, "sync\n") == 0)
        PostMessageW(static_cast<HWND>(window), kSyncRequest, 0, 0);
    PostMessageW(static_cast<HWND>(window), WM_CLOSE, 0, 0);
    return 0;
}

bool hasOption(int argc, wchar_t** argv, const wchar_t* option) {
    for (int i = 1; i < argc - 1; ++i)
        if (std::wcscmp(argv[i], option) == 0) return true;
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    const wchar_t* title = argc > 1 ? argv[argc - 1] : L"Keyloom Probe";
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
            POINT origin{0, 0};
            RECT client{};
            ClientToScreen(window, &origin);
            GetClientRect(window, &client);
            say("ready x=" + std::to_string(origin.x) + " y=" + std::to_string(origin.y) +
                " width=" + std::to_string(client.right) +
                " height=" + std::to_string(client.bottom));
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ready ? INFINITE : 10, QS_ALLINPUT);
    }
}
