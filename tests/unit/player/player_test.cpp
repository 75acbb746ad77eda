// keyloom-play as a user runs it: what --dry-run prints and how it exits.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/consoleToolkit.h"

namespace {

struct Result {
    int status = -1;
    std::string out;
};

// The player's output for the command-line arguments `args`; `errors` says
// where its standard error goes.
Result play(const std::string& args, const std::string& errors = "2>/dev/null") {
    std::string command = std::string(KEYLOOM_PLAY) + " " + args + " " + errors;
    Result result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    std::array<char, 4096> buffer{};
    std::size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.out.append(buffer.data(), n);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string writeMacro(const std::string& name, const std::string& bytes) {
    std::string path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(Player, DryRunPrintsOneLinePerDesktopOperation) {
    std::string path = writeMacro(
        "dry.tkl",
        "Press_Tab\r\nWait >2\r\nWait >0\r\nMouseMove >10, 20\r\nLDblClick\r\nRClick\r\n"
        "SendText >hi\r\nSendText >q\r\nSetFocus >Editor\r\nRunProgram >xterm -e true\r\n"
        "ExecuteFile >/tmp/x y.txt\r\nMessage >done\r\nCapsOn\r\nCapsOn\r\n");
    Result r = play("--dry-run " + path);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "key 9 down\nkey 9 up\nwait 1.500\nmove 10 20\n"
              "button left down\nbutton left up\nbutton left down\nbutton left up\n"
              "button right down\nbutton right up\ntype hi\nkey 81 down\nkey 81 up\n"
              "activate Editor\nrun xterm -e true\nopen /tmp/x y.txt\nmessage done\n"
              "key 20 down\nkey 20 up\n");
}

TEST(Player, UnreadableFileExitsTwo) {
    EXPECT_EQ(play(testing::TempDir() + "does-not-exist.tkl").status, 2);
    EXPECT_EQ(play("--dry-run").status, 2);
    EXPECT_EQ(play("--bogus x").status, 2);
}

TEST(Player, DryRunWhoseOutputCannotBeWrittenEndsWithFour) {
    // A Loop too: it would print for ever.
    std::string path = writeMacro("loop.tkl", "Press_Tab\r\nLoop\r\n");
    EXPECT_EQ(play("--dry-run " + path + " >/dev/full").status, 4);
}

// A message box of the player is one line, after its entry and command.
TEST(Player, MessagesAreOneLineEach) {
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
