// keyloom.exe, the windowed program, under Windows or Wine: a single copy
// runs, and a macro file given at start plays when Run is pressed.
#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <utility>
#include <vector>

#include "probe.h"

namespace keyloom::test {
namespace {

const std::wstring kTitle = L"Tervel's Keyloom";

struct Found {
    DWORD pid;
    const wchar_t* className;  // nullptr: any
    HWND window = nullptr;
};

BOOL CALLBACK findTopWindow(HWND window, LPARAM data) {
    auto* found = reinterpret_cast<Found*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t title[256] = {}, className[256] = {};
    GetWindowTextW(window, title, 256);
    GetClassNameW(window, className, 256);
    if (pid == found->pid && IsWindowVisible(window) && title == kTitle &&
        (found->className == nullptr || std::wstring(className) == found->className)) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

// The visible top-level window of `pid` titled "Tervel's Keyloom".
HWND keyloomWindow(DWORD pid, const wchar_t* className = nullptr) {
    Found found{pid, className};
    EnumWindows(findTopWindow, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

struct Child {
    const wchar_t* className;
    std::wstring text;
    HWND window = nullptr;
};

BOOL CALLBACK findChild(HWND window, LPARAM data) {
    auto* child = reinterpret_cast<Child*>(data);
    wchar_t text[512] = {}, className[256] = {};
    GetWindowTextW(window, text, 512);
    GetClassNameW(window, className, 256);
    if (std::wstring(className) == child->className && text == child->text) {
        child->window = window;
        return FALSE;
    }
    return TRUE;
}

HWND childWindow(HWND parent, const wchar_t* className, const std::wstring& text) {
    Child child{className, text};
    EnumChildWindows(parent, findChild, reinterpret_cast<LPARAM>(&child));
    return child.window;
}

struct OwnWindows {
    DWORD pid;
    std::vector<HWND> windows;
};

BOOL CALLBACK collectOwnWindow(HWND window, LPARAM data) {
    auto* own = reinterpret_cast<OwnWindows*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == own->pid && IsWindowVisible(window)) own->windows.push_back(window);
    return TRUE;
}

// The visible top-level windows of `pid`.
std::vector<HWND> topWindows(DWORD pid) {
    OwnWindows own{pid, {}};
    EnumWindows(collectOwnWindow, reinterpret_cast<LPARAM>(&own));
    return own.windows;
}

// Presses (false) and releases (true) of virtual keys, in order.
void tapKeys(std::initializer_list<std::pair<WORD, bool>> keys) {
    for (const auto& [vk, up] : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        SendInput(1, &input, sizeof input);
        Sleep(50);
    }
}

struct Sized {
    int width, height;
    HWND window = nullptr;
};

BOOL CALLBACK findSized(HWND window, LPARAM data) {
    auto* sized = reinterpret_cast<Sized*>(data);
    RECT r{};
    GetClientRect(window, &r);
    wchar_t className[256] = {};
    GetClassNameW(window, className, 256);
    if (r.right == sized->width && r.bottom == sized->height &&
        std::wstring(className).rfind(L"wxWindow", 0) == 0) {
        sized->window = window;
        return FALSE;
    }
    return TRUE;
}

// The child window of `parent` drawn by the program itself (not a native
// control) whose client area is `width` x `height`.
HWND ownChildOfSize(HWND parent, int width, int height) {
    Sized sized{width, height};
    EnumChildWindows(parent, findSized, reinterpret_cast<LPARAM>(&sized));
    return sized.window;
}

RECT screenRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

std::wstring tempFile(const std::string& name, const std::string& bytes) {
    std::wstring folder(MAX_PATH, L'\0');
    folder.resize(GetTempPathW(MAX_PATH, folder.data()));
    std::wstring path = folder + wide(name);
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
    return path;
}

std::wstring keyloomProgram() { return L"\"" + buildPath(KEYLOOM_GUI_PROGRAM) + L"\""; }

TEST(Keyloom, RunsAsASingleCopy) {
    ChildProcess first(keyloomProgram(), 90s);
    HWND main = nullptr;
    ASSERT_TRUE(eventually([&] { return (main = keyloomWindow(first.pid())) != nullptr; }, 60s));

    ChildProcess second(keyloomProgram(), 90s);
    HWND box = nullptr;
    ASSERT_TRUE(eventually([&] { return (box = keyloomWindow(second.pid(), L"#32770")) != nullptr; }, 60s))
        << "no message box from the second copy";
    EXPECT_NE(childWindow(box, L"Static", L"The program is already running!"), nullptr);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(second.wait(30s).has_value()) << "the second copy did not end after its message";
    EXPECT_EQ(keyloomWindow(first.pid()), main) << "the first copy went away";

    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.wait(30s), std::optional<int>(0));
}

TEST(Keyloom, MacroFileGivenAtStartPlaysOnRun) {
    Probe probe("Gui Target Probe", 90s);
    ASSERT_TRUE(probe.ready());
    std::wstring macro =
        tempFile("gui.tkl", "SetFocus >Gui Target Probe\r\nPress_Tab\r\nSendText >hello!\r\n");
    ChildProcess keyloom(keyloomProgram() + L" \"" + macro + L"\"", 90s);
    HWND main = nullptr;
    ASSERT_TRUE(eventually([&] { return (main = keyloomWindow(keyloom.pid())) != nullptr; }, 60s));
    HWND run = nullptr;
    ASSERT_TRUE(eventually([&] { return (run = childWindow(main, L"Button", L"Run")) != nullptr; }));
    probe.mark();
    PostMessageW(run, BM_CLICK, 0, 0);
    ASSERT_TRUE(probe.waitFor("char U+0021", 30s)) << "the macro did not reach the probe";
    EXPECT_EQ(probe.linesAfterMark({"keydown 9", "char"}),
              (std::vector<std::string>{"keydown 9 -", "char U+0009", "char U+0068", "char U+0065",
                                        "char U+006C", "char U+006C", "char U+006F",
                                        "char U+0021"}));
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(keyloom.wait(30s), std::optional<int>(0));
}

// Windows does not keep overlapping controls apart: the editor's text box
// must leave the palette's place to it, or it paints over the palette.
TEST(Keyloom, EditorTextBoxLeavesThePaletteUncovered) {
    ChildProcess keyloom(keyloomProgram(), 90s);
    HWND main = nullptr;
    ASSERT_TRUE(eventually([&] { return (main = keyloomWindow(keyloom.pid())) != nullptr; }, 60s));
    // Build, Edit from the keyboard (another process cannot read the menu).
    ASSERT_TRUE(eventually([&] {
        SetForegroundWindow(main);
        return GetForegroundWindow() == main;
    }));
    tapKeys({{VK_MENU, false}, {'B', false}, {'B', true}, {VK_MENU, true}});
    tapKeys({{'E', false}, {'E', true}});
    HWND palette = nullptr, text = nullptr;
    ASSERT_TRUE(eventually([&] {
        for (HWND window : topWindows(keyloom.pid())) {
            if (childWindow(window, L"Button", L"Commands") == nullptr) continue;
            palette = childWindow(window, L"ListBox", L"");
            text = childWindow(window, L"Edit", L"");
        }
        return palette != nullptr && text != nullptr;
    }, 30s)) << "no editor with its palette and text box";
    RECT paletteRect = screenRect(palette), textRect = screenRect(text), overlap{};
    EXPECT_FALSE(IntersectRect(&overlap, &paletteRect, &textRect));
    EXPECT_GT(textRect.right - textRect.left, 200) << "the text box keeps the rest of the window";
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(keyloom.wait(30s), std::optional<int>(0));
}

// The cursor read-out draws its own text: a shorter position must not leave
// the end of a longer one behind.
TEST(Keyloom, ReadoutShowsOnlyTheLatestPosition) {
    ChildProcess keyloom(keyloomProgram(), 90s);
    HWND main = nullptr, readout = nullptr;
    ASSERT_TRUE(eventually([&] { return (main = keyloomWindow(keyloom.pid())) != nullptr; }, 60s));
    ASSERT_TRUE(eventually([&] { return (readout = ownChildOfSize(main, 49, 17)) != nullptr; }));
    ASSERT_TRUE(settleCursor(1000, 888));
    Sleep(300);
    ASSERT_TRUE(settleCursor(5, 5));
    Sleep(300);
    // "5,5" on the left; the right part, where only "1000,888" reached, all
    // the background's colour.
    RECT r = screenRect(readout);
    HDC screen = GetDC(nullptr);
    const COLORREF background = GetPixel(screen, r.right - 1, r.top + 2);
    auto marked = [&](int from, int to) {
        int count = 0;
        for (int y = r.top; y < r.top + 14; ++y)
            for (int x = from; x < to; ++x) count += GetPixel(screen, x, y) != background;
        return count;
    };
    const int text = marked(r.left, r.left + 30), leftOver = marked(r.left + 30, r.right);
    ReleaseDC(nullptr, screen);
    EXPECT_GT(text, 0) << "the new position is shown";
    EXPECT_EQ(leftOver, 0) << "pixels of the old text are left";
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(keyloom.wait(30s), std::optional<int>(0));
}

}  // namespace
}  // namespace keyloom::test
