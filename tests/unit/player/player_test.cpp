// keyloom-play as a user runs it: what --dry-run prints and how it exits.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "platform/consoleToolkit.h"
#include "support/fileBytes.h"
#include "support/tempDir.h"

namespace {

struct Result {
    int status = -1;
    std::string out;
};

// Each test in a folder of its own: several runs of the tier may share the machine.
class Player : public ::testing::Test {
protected:
    // The player's exit status and output for the command-line arguments
    // `args` (a redirection of the output among them wins); `errors` says
    // where its standard error goes.
    Result play(const std::string& args, const std::string& errors = "2>/dev/null") {
        const std::string out = dir.str("play.out");
        const int status = std::system(
            (std::string(KEYLOOM_PLAY) + " >" + out + " " + args + " " + errors).c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, keyloom::test::readFile(out)};
    }
    std::string writeMacro(const std::string& name, const std::string& bytes) {
        keyloom::test::writeFile(dir / name, bytes);
        return dir.str(name);
    }

    keyloom::test::TempDir dir;
};

TEST_F(Player, DryRunPrintsOneLinePerDesktopOperation) {
    // What the runner's table leaves out: left buttons, a document, a lock.
    std::string path = writeMacro(
        "dry.tkl", "LDblClick\r\nRClick\r\nExecuteFile >/tmp/x y.txt\r\nCapsOn\r\nCapsOn\r\n");
    Result r = play("--dry-run " + path);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(
        r.out,
        "button left down\nbutton left up\nbutton left down\nbutton left up\nbutton right down\n"
        "button right up\nopen /tmp/x y.txt\nkey 20 down\nkey 20 up\n");
}

TEST_F(Player, ExitStatusSaysWhatWentWrong) {
    // A Loop too: its dry run would print for ever into the full disk.
    const std::string loop = writeMacro("loop.tkl", "Press_Tab\r\nLoop\r\n");
    const std::vector<std::pair<std::string, int>> cases = {
        {dir.str("does-not-exist.tkl"), 2},  // an unreadable file
        {"--dry-run", 2},                    // wrong arguments
        {"--bogus x", 2},
        {"--dry-run " + loop + " >/dev/full", 4},  // output that cannot be written
    };
    for (const auto& [args, status] : cases) EXPECT_EQ(play(args).status, status) << args;
}

// A message box of the player is one line, after its entry and command.
TEST_F(Player, MessagesAreOneLineEach) {
    std::ostringstream out;
    keyloom::platform::ConsoleToolkit toolkit(out);
    toolkit.messagePrefix = [] { return std::string("entry 4: RunProgram: "); };
    toolkit.messageBox("File not found!\rError 53", "Tervel's Keyloom", keyloom::platform::MessageStyle::Ok);
    toolkit.messageBox("a\r\n\r\nb", "Tervel's Keyloom", keyloom::platform::MessageStyle::YesNoQuestion);
    EXPECT_EQ(out.str(), "entry 4: RunProgram: File not found! Error 53\n"
                         "entry 4: RunProgram: a b [answered No]\n");

    // Without a display it says which variable is missing.
    ::unsetenv("DISPLAY");
    const std::string said = play(writeMacro("d.tkl", "Loop"), "2>&1").out;
    EXPECT_NE(said.find("DISPLAY"), std::string::npos) << said;
}

}  // namespace
