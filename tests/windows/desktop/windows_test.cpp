// Window activation by title and by process, program starts, and text at the
// Windows boundary: UTF-16. (UTF-8 validation and how a macro file's bytes of
// the ANSI code page are read are tests/unit/files/listReader_test.cpp's, a
// unit test that runs under Wine too.)
#include <gtest/gtest.h>

#include <memory>

#include "platform/win32/win32Desktop.h"
#include "platform/win32/win32Text.h"
#include "support/desktopContract.h"
#include "windowsSupport.h"

namespace keyloom::test {
namespace {

using platform::Win32Desktop;

// The desktop contract's activations: each window shown active (one of them
// minimised first: restored), and the keys sent next reach it.
TEST(Windows, ActivationByTitleFocusesThatWindow) {
    Win32Desktop desktop;
    std::vector<std::unique_ptr<ProbeProcess>> probes;
    for (const std::string& title : kContractTitles) {
        probes.push_back(std::make_unique<ProbeProcess>(title));
        ASSERT_TRUE(probes.back()->start()) << probes.back()->error();
    }
    const HWND minimized = probeWindow(kContractTitles[2]);
    ShowWindow(minimized, SW_MINIMIZE);
    ASSERT_TRUE(eventually([&] { return IsIconic(minimized) != 0; }));
    for (const auto& [title, index] : kContractActivations) {
        ProbeProcess& expected = *probes[static_cast<std::size_t>(index)];
        ASSERT_TRUE(desktop.activateWindow(title)) << title;
        const HWND window = probeWindow(kContractTitles[index]);
        ASSERT_TRUE(eventually([&] {
            return GetForegroundWindow() == window && !IsIconic(window);
        })) << title;
        desktop.keybdEvent(9, 0, platform::kKeyDown);
        desktop.keybdEvent(9, 0, platform::kKeyUp);
        EXPECT_TRUE(readUntilLine(expected, "KeyRelease keycode=9 state=0x0")) << title;
    }
    for (const std::string& title : kContractNoMatch)
        EXPECT_FALSE(desktop.activateWindow(title)) << title;
}

// A started program's process id activates its window, in front of another.
TEST(Windows, StartedProgramRunsAndItsWindowIsActivatedByItsProcess) {
    Win32Desktop desktop;
    auto pid =
        desktop.startProgram("\"" + windowsPath(probePath()) + "\" --no-input \"Started Probe\"");
    ASSERT_TRUE(pid.has_value());
    HWND started = nullptr;
    ASSERT_TRUE(eventually([&] { return (started = probeWindow("Started Probe")) != nullptr; }));
    ProbeProcess other("Second Process Probe");
    ASSERT_TRUE(other.start()) << other.error();
    EXPECT_TRUE(desktop.activateProcessWindow(*pid));
    EXPECT_TRUE(eventually([&] { return GetForegroundWindow() == started; }));
    EXPECT_FALSE(desktop.activateProcessWindow(static_cast<long>(GetCurrentProcessId())))
        << "a process without a window has nothing to activate";
    PostMessageW(started, WM_CLOSE, 0, 0);
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
    EXPECT_TRUE(desktop.openDocument(windowsPath(probePath())));
    HWND opened = nullptr;
    EXPECT_TRUE(eventually([&] { return (opened = FindWindowW(L"KeyloomProbe", nullptr)) != nullptr; }));
    if (opened != nullptr) PostMessageW(opened, WM_CLOSE, 0, 0);
}

TEST(Windows, Utf16ConversionsReplaceWhatIsMalformed) {
    using namespace platform::win32;
    EXPECT_EQ(toWide("a\xC3\xA9\xF0\x9F\x98\x80"), L"a\u00E9\U0001F600");
    EXPECT_EQ(toUtf8(L"a\u00E9\U0001F600"), "a\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(toWide("x\xFFy"), L"x\uFFFDy");
    EXPECT_EQ(toUtf8(std::wstring(L"x\xD800y")), "x\xEF\xBF\xBDy");
    EXPECT_EQ(toWide(""), L"");
    EXPECT_FALSE(toAnsiExactly(L"\u65E5").has_value());
}

}  // namespace
}  // namespace keyloom::test
