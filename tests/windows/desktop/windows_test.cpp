// Window activation by title and by process, and program starts.
#include <gtest/gtest.h>

#include "platform/win32/win32Desktop.h"
#include "probe.h"

namespace keyloom::test {
namespace {

using platform::Win32Desktop;

// Windows' upper case: letter case beyond ASCII.
TEST(TitleMatch, WindowsFoldingCoversUnicode) {
    EXPECT_EQ(platform::win32::foldTitle("\xC3\xBCn\xC3\xAF" "code"),
              platform::win32::foldTitle("\xC3\x9CN\xC3\x8F" "CODE"));
}

TEST(Windows, ActivationByTitleFocusesThatWindow) {
    Win32Desktop desktop;
    Probe alpha("Alpha Window Probe");
    Probe beta("Beta Window Probe");
    ASSERT_TRUE(alpha.ready() && beta.ready());
    struct Step {
        const char* title;
        Probe* expected;
    };
    const Step steps[] = {{"Alpha Window Probe", &alpha},
                          {"beta window probe", &beta},
                          {"ALPHA WIN", &alpha},
                          {"Beta", &beta}};
    for (const Step& s : steps) {
        Probe* other = s.expected == &alpha ? &beta : &alpha;
        s.expected->mark();
        other->mark();
        ASSERT_TRUE(desktop.activateWindow(s.title)) << s.title;
        ASSERT_TRUE(eventually([&] { return GetForegroundWindow() == s.expected->window(); }))
            << s.title;
        desktop.keybdEvent(9, 0, platform::kKeyDown);
        desktop.keybdEvent(9, 0, platform::kKeyUp);
        EXPECT_TRUE(s.expected->waitFor("keyup 9 -")) << s.title;
        EXPECT_TRUE(other->linesAfterMark({"keydown"}).empty()) << s.title;
    }
    EXPECT_FALSE(desktop.activateWindow("No Such Window Anywhere"));
    EXPECT_FALSE(desktop.activateWindow(""));
}

TEST(Windows, ActivationRestoresAMinimizedWindow) {
    Win32Desktop desktop;
    Probe probe("Minimized Window Probe");
    ASSERT_TRUE(probe.ready());
    ShowWindow(probe.window(), SW_MINIMIZE);
    ASSERT_TRUE(eventually([&] { return IsIconic(probe.window()) != 0; }));
    ASSERT_TRUE(desktop.activateWindow("Minimized Window Probe"));
    EXPECT_TRUE(eventually([&] { return !IsIconic(probe.window()); }));
    EXPECT_TRUE(eventually([&] { return GetForegroundWindow() == probe.window(); }));
}

TEST(Windows, ActivationByProcessFocusesItsWindow) {
    Win32Desktop desktop;
    Probe first("First Process Probe");
    Probe second("Second Process Probe");
    ASSERT_TRUE(first.ready() && second.ready());
    ASSERT_TRUE(desktop.activateProcessWindow(static_cast<long>(first.pid())));
    EXPECT_TRUE(eventually([&] { return GetForegroundWindow() == first.window(); }));
    EXPECT_FALSE(desktop.activateProcessWindow(static_cast<long>(GetCurrentProcessId())))
        << "a process without a window has nothing to activate";
}

TEST(Windows, StartedProgramRunsAndItsWindowCanBeActivated) {
    Win32Desktop desktop;
    auto pid = desktop.startProgram(narrow(probeProgram()) + " \"Started Probe\" --no-input");
    ASSERT_TRUE(pid.has_value());
    EXPECT_TRUE(eventually([&] { return desktop.activateProcessWindow(*pid); }));
    HWND window = FindWindowW(L"KeyloomProbe", L"Started Probe");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(eventually([&] { return GetForegroundWindow() == window; }));
    PostMessageW(window, WM_CLOSE, 0, 0);
}

TEST(Windows, MissingProgramDoesNotStart) {
    Win32Desktop desktop;
    EXPECT_FALSE(desktop.startProgram("no-such-program-here.exe --flag").has_value());
    EXPECT_FALSE(desktop.startProgram("\"C:\\no such folder\\prog.exe\"").has_value());
}

TEST(Windows, ShellOpensProgramsAndReportsMissingDocuments) {
    Win32Desktop desktop;
    EXPECT_FALSE(desktop.openDocument("C:\\no such folder\\missing document.txt"));
    EXPECT_FALSE(desktop.openDocument("Z:\\nowhere\\ﬁle ünïcode.txt"));
    std::wstring program = probeProgram();
    program = program.substr(1, program.size() - 2);  // unquoted
    EXPECT_TRUE(desktop.openDocument(narrow(program)));
    HWND opened = nullptr;
    EXPECT_TRUE(eventually([&] { return (opened = FindWindowW(L"KeyloomProbe", nullptr)) != nullptr; }));
    if (opened != nullptr) PostMessageW(opened, WM_CLOSE, 0, 0);
}

}  // namespace
}  // namespace keyloom::test
