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
