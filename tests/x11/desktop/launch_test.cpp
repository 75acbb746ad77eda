// RunProgram and ExecuteFile on the real desktop.
#include "x11Fixture.h"  // first: gtest before the X11 macros
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

namespace keyloom::test {
namespace {

using Launch = X11Test;

// The started program gets the focus: the text typed next reaches it.
TEST_F(Launch, RunProgramStartsXtermWithTheFocus) {
    TempDir dir;
    const std::string file = dir.str("typed");
    // No command word in the title: every word of the entry is also run.
    const std::string title = "Keyloom launched xterm";
    const std::string typed = "typed after the start";
    // No ">" in the command line (the argument would start after it): tee
    // writes what it reads at once. The terminal ends once it has the text
    // (or after a while), as the test runner waits for every program that
    // holds the test's output.
    play({"RunProgram >/usr/bin/env LC_ALL=C.UTF-8 xterm -u8 -T '" + title +
          "' -e /bin/sh -c 'stty -icanon -echo -isig -ixon -iexten; timeout --foreground 60 head -c " +
          std::to_string(typed.size()) + " | tee " + file + "'"});
    EXPECT_TRUE(dialogs.log.empty());
    Window w = windowTitled(x.get(), title);
    ASSERT_NE(w, 0U) << "RunProgram returned before the xterm had a window";
    EXPECT_TRUE(eventually([&] { return activeWindow(x.get()) == w; }, 2))
        << "the started xterm is not the active window";
    // Keys typed before the terminal runs its command would reach the shell
    // still in line mode: wait until tee has the file open, then type.
    ASSERT_TRUE(eventually([&] { return std::filesystem::exists(file); }));
    play({"SendText >" + typed});
    std::string got;
    eventually([&] { return (got = readFile(file)) == typed; });
    EXPECT_EQ(got, typed);
}

// What the desktop cannot start (no such program, a command line the shell
// rules cannot read, nothing) or open (a missing document) is said, and the
// run goes on.
TEST_F(Launch, WhatCannotStartShowsTheMessageAndTheRunGoesOn) {
    TempDir dir;
    play({"RunProgram >/nonexistent/keyloom-program --flag", "RunProgram >xterm 'unclosed",
          "RunProgram >", "ExecuteFile >" + dir.str("no such document.txt")});
    const std::string message = "message File not found!\rError 53", title = "title Tervel's Keyloom";
    EXPECT_EQ(dialogs.log, (std::vector<std::string>{message, title, message, title, message, title,
                                                     "message File not found.", "title Keyloom Error"}));
}

// The document opens with the application associated with its type, which
// starts in the folder "/" and receives the document's path.
TEST_F(Launch, ExecuteFileOpensTheDocumentWithItsApplication) {
    TempDir dir;
    const std::string report = dir.str("opened");
    const std::string handler = dir.str("opener.sh");
    writeFile(handler, "#!/bin/sh\n{ pwd; printf '%s\\n' \"$1\"; } > '" + report + "'\n");
    chmod(handler.c_str(), 0755);
    std::filesystem::create_directories(dir.str("data/applications"));
    std::filesystem::create_directories(dir.str("config"));
    writeFile(dir.str("data/applications/keyloom-test-opener.desktop"),
              "[Desktop Entry]\nType=Application\nName=Keyloom test opener\nExec=" + handler +
                  " %f\nMimeType=text/plain;\n");
    writeFile(dir.str("config/mimeapps.list"),
              "[Default Applications]\ntext/plain=keyloom-test-opener.desktop\n");
    // Before anything reads them: GIO keeps the folders it found first.
    setenv("XDG_DATA_HOME", dir.str("data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", dir.str("config").c_str(), 1);
    const std::string document = dir.str("my notes.txt");
    writeFile(document, "some notes\n");

    play({"ExecuteFile >" + document});
    EXPECT_TRUE(dialogs.log.empty());
    std::string got;
    eventually([&] { return !(got = readFile(report)).empty() && got.back() == '\n'; });
    EXPECT_EQ(got, "/\n" + document + "\n");
}

}  // namespace
}  // namespace keyloom::test
