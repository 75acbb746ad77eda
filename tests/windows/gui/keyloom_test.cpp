// keyloom.exe, the windowed program, under Windows or Wine: a single copy
// runs, and a macro file given at start plays when Run is pressed.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "platform/win32/win32Desktop.h"
#include "windowsSupport.h"

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
    HWND found = nullptr;
};

BOOL CALLBACK stopAtWanted(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (!search->wanted(window)) return TRUE;
    search->found = window;
    return FALSE;
}

// The first top-level window (child of `parent`, when given) for which
// `wanted` holds.
HWND firstWhere(const std::function<bool(HWND)>& wanted, HWND parent = nullptr) {
    Search search{wanted};
    if (parent == nullptr)
        EnumWindows(stopAtWanted, reinterpret_cast<LPARAM>(&search));
    else
        EnumChildWindows(parent, stopAtWanted, reinterpret_cast<LPARAM>(&search));
    return search.found;
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

RECT screenRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

DWORD processOf(const ChildProcess& program) { return static_cast<DWORD>(program.pid()); }

// keyloom.exe started with `arguments`, until its main window shows; closed
// at the end, when it must exit with 0.
class Keyloom : public ::testing::Test {
protected:
    void start(std::vector<std::string> argv = {}) {
        argv.insert(argv.begin(), KEYLOOM_GUI_PROGRAM);
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
    ASSERT_TRUE(second.start({KEYLOOM_GUI_PROGRAM}));
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
    EXPECT_EQ(charsReceived(probe, "\thello!", 30), "\thello!")
        << "the macro did not reach the probe";
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
    platform::Win32Desktop desktop;
    const std::pair<std::uint8_t, std::uint32_t> keys[] = {
        {VK_MENU, platform::kKeyDown}, {'B', platform::kKeyDown}, {'B', platform::kKeyUp},
        {VK_MENU, platform::kKeyUp},   {'E', platform::kKeyDown}, {'E', platform::kKeyUp}};
    for (auto [vk, flags] : keys) {
        desktop.keybdEvent(vk, 0, flags);
        Sleep(50);
    }
    HWND palette = nullptr, text = nullptr;
    const DWORD pid = processOf(program);
    auto editorShown = [&] {
        HWND editor = firstWhere([&](HWND w) {
            return processOf(w) == pid && IsWindowVisible(w) &&
                   childWindow(w, L"Button", L"Commands") != nullptr;
        });
        return editor != nullptr && (palette = childWindow(editor, L"ListBox", L"")) != nullptr &&
               (text = childWindow(editor, L"Edit", L"")) != nullptr;
    };
    ASSERT_TRUE(eventually(editorShown, 30)) << "no editor with its palette and text box";
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
    // The pixels unlike the background's in columns [from, to) of its text.
    const RECT r = screenRect(readout);
    auto marked = [&](int from, int to) {
        HDC screen = GetDC(nullptr);
        const COLORREF background = GetPixel(screen, r.right - 1, r.top + 2);
        int count = 0;
        for (int y = r.top; y < r.top + 14; ++y)
            for (int x = from; x < to; ++x) count += GetPixel(screen, x, y) != background;
        ReleaseDC(nullptr, screen);
        return count;
    };
    platform::Win32Desktop desktop;
    ASSERT_TRUE(settleCursor(desktop, 1000, 888));
    ASSERT_TRUE(eventually([&] { return marked(r.left + 30, r.right) > 0; })) << "no long position";
    // "5,5" on the left; the right part, where only "1000,888" reached, all
    // the background's colour.
    ASSERT_TRUE(settleCursor(desktop, 5, 5));
    EXPECT_TRUE(eventually(
        [&] { return marked(r.left, r.left + 30) > 0 && marked(r.left + 30, r.right) == 0; }, 5))
        << "pixels of the old text are left";
}

}  // namespace
}  // namespace keyloom::test
