// keyloom-play.exe as a user runs it: a macro file played into the focused
// window, and Ctrl+C or the Pause key stopping the run.
#include <gtest/gtest.h>

#include "platform/win32/win32Desktop.h"
#include "windowsSupport.h"

namespace keyloom::test {
namespace {

// Ctrl+C as typed in the console of the player (which ChildProcess starts
// with a console of its own, without a window).
bool pressCtrlC(ChildProcess& player) {
    FreeConsole();
    if (!AttachConsole(static_cast<DWORD>(player.pid()))) return false;
    SetConsoleCtrlHandler(nullptr, TRUE);  // not for us
    BOOL sent = GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    FreeConsole();
    return sent != 0;
}

// Pause pressed by another program: the player cannot tell it from the
// keyboard's, only its own presses are no stop key (the desktop contract's
// InjectedPauseIsNoStop).
bool pressPause(ChildProcess&) {
    keybd_event(VK_PAUSE, 0, 0, 0);
    keybd_event(VK_PAUSE, 0, KEYEVENTF_KEYUP, 0);
    return true;
}

// Either stop in the middle of a long wait ends the wait at once and the run
// with it (the loop does not go round again), letting up what the run holds.
// The file's name is beyond the ANSI code page: the player takes its
// arguments in UTF-16. What a macro does on the desktop is the desktop
// contract's (tests/windows/desktop).
TEST(Player, CtrlCOrPauseEndsALongWaitAndReleasesWhatTheRunHolds) {
    const std::pair<const char*, bool (*)(ChildProcess&)> stops[] = {{"Ctrl+C", pressCtrlC},
                                                                     {"Pause", pressPause}};
    const std::string macro =
        tempFile("\xE6\x97\xA5\xE6\x9C\xAC \xCE\xB1\xCE\xB2.tkl",
                 "Press_CTRL\r\nPress_Shift\r\nLDown\r\nPress_Tab\r\nWait >600\r\nLoop\r\n");
    platform::Win32Desktop desktop;  // for its key state
    for (const auto& [name, stop] : stops) {
        SCOPED_TRACE(name);
        ProbeProcess probe("Stopped Run Probe");
        ASSERT_TRUE(probe.start()) << probe.error();
        ChildProcess player;
        ASSERT_TRUE(player.start({playerPath(), macro}));
        ASSERT_TRUE(readUntilLine(probe, "KeyPress keycode=9 state=0x5"));
        EXPECT_LT(desktop.getAsyncKeyState(VK_CONTROL), 0) << "a key held by the run is not seen";
        ASSERT_TRUE(stop(player));
        EXPECT_EQ(player.wait(3), std::optional<int>(0))
            << "a wait of 10 minutes was not cut short, or the run went on";
        EXPECT_EQ(heldKeys(desktop), std::vector<int>{});
    }
}

}  // namespace
}  // namespace keyloom::test
