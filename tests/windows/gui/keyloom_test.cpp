// keyloom.exe, the windowed program, under Windows or Wine: a single copy
// runs, and a macro file given at start plays when Run is pressed.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

#include "platform/win32/win32Desktop.h"
#include "windowsSupport.h"
#include "support/fileBytes.h"

namespace keyloom::test {
namespace {

const std::wstring kTitle = L"Tervel's Keyloom";

std::wstring classOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring textOf(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

DWORD processOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

struct Search {
    const std::function<bool(HWND)>& wanted;
    std::vector<HWND> found;
};

BOOL CALLBACK collect(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (search->wanted(window)) search->found.push_back(window);
    return TRUE;
}

// The top-level windows (the children of `parent`, when given) for which
// `wanted` holds.
std::vector<HWND> windowsWhere(const std::function<bool(HWND)>& wanted, HWND parent = nullptr) {
    Search search{wanted, {}};
    if (parent == nullptr)
        EnumWindows(collect, reinterpret_cast<LPARAM>(&search));
    else
        EnumChildWindows(parent, collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND firstWhere(const std::function<bool(HWND)>& wanted, HWND parent = nullptr) {
    std::vector<HWND> found = windowsWhere(wanted, parent);
    return found.empty() ? nullptr : found.front();
}

// The visible top-level window of `pid` titled "Tervel's Keyloom" (of that
// window class, when given).
HWND keyloomWindow(DWORD pid, const wchar_t* className = nullptr) {
    return firstWhere([&](HWND w) {
        return processOf(w) == pid && IsWindowVisible(w) && textOf(w) == kTitle &&
               (className == nullptr || classOf(w) == className);
    });
}

HWND childWindow(HWND parent, const wchar_t* className, const std::wstring& text) {
    return firstWhere([&](HWND w) { return classOf(w) == className && textOf(w) == text; }, parent);
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

RECT screenRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

std::string tempFile(const std::string& name, const std::string& bytes) {
    const auto path = std::filesystem::temp_directory_path() / wide(name);
    writeFile(path, bytes);
    return narrow(path.wstring());
}

std::string keyloomProgram() { return KEYLOOM_GUI_PROGRAM; }

DWORD processOf(const ChildProcess& program) { return static_cast<DWORD>(program.pid()); }

// keyloom.exe started with `arguments`, until its main window shows; closed
// at the end, when it must exit with 0.
class Keyloom : public ::testing::Test {
protected:
    void start(std::vector<std::string> argv = {}) {
        argv.insert(argv.begin(), keyloomProgram());
        ASSERT_TRUE(program.start(argv));
        ASSERT_TRUE(
            eventually([&] { return (main = keyloomWindow(processOf(program))) != nullptr; }, 60));
    }
    void TearDown() override {
        if (main == nullptr) return;
        PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.wait(30), std::optional<int>(0));
    }

    ChildProcess program;
    HWND main = nullptr;
};

TEST_F(Keyloom, RunsAsASingleCopy) {
    start();

    ChildProcess second;
    ASSERT_TRUE(second.start({keyloomProgram()}));
    HWND box = nullptr;
    ASSERT_TRUE(eventually(
        [&] { return (box = keyloomWindow(processOf(second), L"#32770")) != nullptr; }, 60))
        << "no message box from the second copy";
    EXPECT_NE(childWindow(box, L"Static", L"The program is already running!"), nullptr);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(second.wait(30).has_value()) << "the second copy did not end after its message";
    EXPECT_EQ(keyloomWindow(processOf(program)), main) << "the first copy went away";
}

TEST_F(Keyloom, MacroFileGivenAtStartPlaysOnRun) {
    ProbeProcess probe("Gui Target Probe");
    ASSERT_TRUE(probe.start()) << probe.error();
    start({tempFile("gui.tkl", "SetFocus >Gui Target Probe\r\nPress_Tab\r\nSendText >hello!\r\n")});
    HWND run = nullptr;
    ASSERT_TRUE(eventually([&] { return (run = childWindow(main, L"Button", L"Run")) != nullptr; }));
    receivedNow(probe);
    PostMessageW(run, BM_CLICK, 0, 0);
    bool done = false;
    std::vector<std::string> got;
    for (const ProbeEvent& e : probe.readUntil(
             [](const ProbeEvent& e) { return e.line == "Char keysym=0x21"; }, 30, &done))
        if (e.kind == "Char" || e.line.rfind("KeyPress keycode=9 ", 0) == 0) got.push_back(e.line);
    ASSERT_TRUE(done) << "the macro did not reach the probe";
    EXPECT_EQ(got, (std::vector<std::string>{"KeyPress keycode=9 state=0x0", "Char keysym=0x9",
                                             "Char keysym=0x68", "Char keysym=0x65",
                                             "Char keysym=0x6c", "Char keysym=0x6c",
                                             "Char keysym=0x6f", "Char keysym=0x21"}));
}

// Windows does not keep overlapping controls apart: the editor's text box
// must leave the palette's place to it, or it paints over the palette.
TEST_F(Keyloom, EditorTextBoxLeavesThePaletteUncovered) {
    start();
    // Build, Edit from the keyboard (another process cannot read the menu).
    ASSERT_TRUE(eventually([&] {
        SetForegroundWindow(main);
        return GetForegroundWindow() == main;
    }));
    tapKeys({{VK_MENU, false}, {'B', false}, {'B', true}, {VK_MENU, true}});
    tapKeys({{'E', false}, {'E', true}});
    HWND palette = nullptr, text = nullptr;
    const DWORD pid = processOf(program);
    auto ownWindow = [&](HWND w) { return processOf(w) == pid && IsWindowVisible(w); };
    ASSERT_TRUE(eventually([&] {
        for (HWND window : windowsWhere(ownWindow)) {
            if (childWindow(window, L"Button", L"Commands") == nullptr) continue;
            palette = childWindow(window, L"ListBox", L"");
            text = childWindow(window, L"Edit", L"");
        }
        return palette != nullptr && text != nullptr;
    }, 30)) << "no editor with its palette and text box";
    RECT paletteRect = screenRect(palette), textRect = screenRect(text), overlap{};
    EXPECT_FALSE(IntersectRect(&overlap, &paletteRect, &textRect));
    EXPECT_GT(textRect.right - textRect.left, 200) << "the text box keeps the rest of the window";
}

// The cursor read-out draws its own text: a shorter position must not leave
// the end of a longer one behind.
TEST_F(Keyloom, ReadoutShowsOnlyTheLatestPosition) {
    start();
    // The child window drawn by the program itself (not a native control) of
    // the read-out's size.
    auto isReadout = [](HWND w) {
        RECT r{};
        GetClientRect(w, &r);
        return r.right == 49 && r.bottom == 17 && classOf(w).rfind(L"wxWindow", 0) == 0;
    };
    HWND readout = nullptr;
    ASSERT_TRUE(eventually([&] { return (readout = firstWhere(isReadout, main)) != nullptr; }));
    platform::Win32Desktop desktop;
    ASSERT_TRUE(settleCursor(desktop, 1000, 888));
    Sleep(300);
    ASSERT_TRUE(settleCursor(desktop, 5, 5));
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
}

}  // namespace
}  // namespace keyloom::test
