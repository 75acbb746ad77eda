// keyloom-play.exe as a user runs it: a macro file played into the focused
// window, and Ctrl+C stopping or abandoning a run.
#include <gtest/gtest.h>

#include <filesystem>

#include "windowsSupport.h"
#include "support/fileBytes.h"

namespace keyloom::test {
namespace {

std::string writeMacro(const std::string& name, const std::string& bytes) {
    const auto path = std::filesystem::temp_directory_path() / wide(name);
    writeFile(path, bytes);
    return narrow(path.wstring());
}

// The player, started with a console of its own (without a window), through
// which Ctrl+C reaches it.
class Player {
public:
    explicit Player(const std::string& macro) { process_.start({playerPath(), macro}); }

    // Ctrl+C as typed in the player's console.
    bool pressCtrlC() {
        FreeConsole();
        if (!AttachConsole(static_cast<DWORD>(process_.pid()))) return false;
        SetConsoleCtrlHandler(nullptr, TRUE);  // not for us
        BOOL sent = GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
        FreeConsole();
        return sent != 0;
    }
    std::optional<int> exitCode(double timeoutSeconds) { return process_.wait(timeoutSeconds); }

private:
    ChildProcess process_;
};

// What a macro does on the desktop is the desktop contract's
// (tests/windows/desktop); here the player reads its file and ends.
TEST(Player, OpensAFileWhoseNameIsBeyondTheAnsiCodePage) {
    ProbeProcess probe("Unicode Name Probe");
    ASSERT_TRUE(probe.start()) << probe.error();
    Player player(writeMacro("\xE6\x97\xA5\xE6\x9C\xAC \xCE\xB1\xCE\xB2.tkl", "Press_F5\r\n"));
    EXPECT_EQ(player.exitCode(30), std::optional<int>(0));
    EXPECT_TRUE(readUntilLine(probe, "KeyRelease keycode=116 state=0x0"));
}

// Ctrl+C in the middle of a long wait ends the wait at once and the run with
// it (the loop does not go round again), letting up what the run holds.
TEST(Player, CtrlCEndsALongWaitAndReleasesWhatTheRunHolds) {
    ProbeProcess probe("Stopped Run Probe");
    ASSERT_TRUE(probe.start()) << probe.error();
    Player player(writeMacro("loop.tkl",
                             "Press_CTRL\r\nPress_Shift\r\nLDown\r\nPress_Tab\r\nWait >600\r\nLoop\r\n"));
    ASSERT_TRUE(readUntilLine(probe, "KeyPress keycode=9 state=0x5"));
    ASSERT_TRUE(player.pressCtrlC());
    EXPECT_EQ(player.exitCode(3), std::optional<int>(0))
        << "a wait of 10 minutes was not cut short, or the run went on";
    bool ctrlUp = false, buttonUp = false;
    probe.readUntil([&](const ProbeEvent& e) {
        ctrlUp = ctrlUp || e.line == "KeyRelease keycode=17 state=0x0";
        buttonUp = buttonUp || e.kind == "ButtonRelease";
        return ctrlUp && buttonUp;
    }, 10);
    EXPECT_TRUE(ctrlUp);
    EXPECT_TRUE(buttonUp) << "the left button stayed down";
    EXPECT_GE(GetAsyncKeyState(VK_SHIFT), 0);
    EXPECT_GE(GetAsyncKeyState(VK_CONTROL), 0);
    EXPECT_GE(GetAsyncKeyState(VK_LBUTTON), 0);
}

}  // namespace
}  // namespace keyloom::test
