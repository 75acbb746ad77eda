// The keyloom program as a user starts it: one copy only, and File, Exit
// ends it. Windows are found and keys sent with xdotool; every wait for the
// program is bounded, and a copy left running is killed by ChildProcess.
#include <gtest/gtest.h>  // first: before Xlib's macros

#include <cstdlib>
#include <filesystem>
#include <string>

#include "fault/support/faultSupport.h"

namespace keyloom::fault {
namespace {

namespace fs = std::filesystem;
using test::ChildProcess;

// How many visible windows (a menu counts) process `pid` shows.
std::string windowCount(long pid) {
    return shell("xdotool search --all --onlyvisible --pid " + std::to_string(pid) +
                 " --name . 2>/dev/null | wc -l");
}

// Each test gets a home and a runtime folder of its own, where the
// single-copy lock lives.
class Program : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("HOME", home.str().c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", home.str().c_str(), 1);
    }
    void TearDown() override { ::unsetenv("TMPDIR"); }  // a test moves it into `home`

    test::TempDir home;
};

TEST_F(Program, SecondCopyShowsItsMessageAndEndsTheFirstGoesOn) {
    ChildProcess first;
    std::string error;
    ASSERT_TRUE(first.start({KEYLOOM_BIN}, &error)) << error;
    unsigned long main = windowOf(first.pid());
    ASSERT_NE(main, 0u) << "the main window did not come up";
    EXPECT_TRUE(fs::exists(home / "keyloom.lock")) << "the lock is in the runtime folder";

    ChildProcess second;
    ASSERT_TRUE(second.start({KEYLOOM_BIN}, &error)) << error;
    unsigned long box = windowOf(second.pid());
    ASSERT_NE(box, 0u) << "the second copy showed no message";
    EXPECT_FALSE(second.wait(0.5).has_value()) << "it waits for OK";
    shell("xdotool windowactivate --sync " + std::to_string(box) +
          " >/dev/null 2>&1; xdotool key --clearmodifiers Return");  // OK
    ASSERT_TRUE(second.wait(10).has_value()) << "the second copy did not end";

    EXPECT_FALSE(first.wait(0.5).has_value()) << "the first copy is unaffected";
    EXPECT_EQ(windowOf(first.pid(), 2), main);

    // File, Exit ends it.
    shell("xdotool windowactivate --sync " + std::to_string(main) +
          " >/dev/null 2>&1; xdotool key --clearmodifiers alt+f");
    ASSERT_TRUE(test::eventually([&] { return windowCount(first.pid()) == "2"; }, 10))
        << "no File menu";
    shell("xdotool key --clearmodifiers x");
    EXPECT_EQ(first.wait(10), std::optional<int>(0)) << "Exit ends the program";
}

// A macro file opened while Keyloom runs (the desktop starts a copy with it)
// goes to the running copy, which loads it as File, Load does.
TEST_F(Program, SecondCopyWithAFileHandsItToTheFirst) {
    ChildProcess first;
    std::string error;
    ASSERT_TRUE(first.start({KEYLOOM_BIN}, &error)) << error;
    ASSERT_NE(windowOf(first.pid()), 0u);
    // A control byte in it: the first copy says so once it has read it.
    writeFile(home / "handed.tkl", "Press_Tab\n\x01\n");
    ChildProcess second;
    ASSERT_TRUE(second.start({KEYLOOM_BIN, (home / "handed.tkl").string()}, &error)) << error;
    ASSERT_EQ(second.wait(10), std::optional<int>(0)) << "the second copy did not end";
    EXPECT_TRUE(test::eventually([&] { return windowCount(first.pid()) == "2"; }, 10))
        << "the file was not read";
}

// A runtime folder that is missing or will not take the lock: the lock goes
// to the home folder, and with a read-only home to the temporary folder;
// nothing is said about it. (And the window is drawn without an SVG
// renderer: the theme's SVG arrow would bring one of several megabytes into
// the program for one small triangle.)
TEST_F(Program, WithoutAUsableRuntimeFolderTheLockIsHiddenInTheHome) {
    const std::string user = shell("id -un");
    ::setenv("TMPDIR", home.str().c_str(), 1);
    for (const std::string& runtime :
         {(home / "gone").string(), std::string("/proc"), std::string("read-only home")}) {
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        const bool readOnlyHome = runtime == "read-only home";
        if (readOnlyHome) ::setenv("HOME", "/proc", 1);
        ChildProcess copy;
        std::string error;
        ASSERT_TRUE(copy.start({KEYLOOM_BIN}, &error)) << error;
        ASSERT_NE(windowOf(copy.pid()), 0u) << runtime;
        shell("sleep 0.5");  // a message would show by now, and the window is drawn
        EXPECT_TRUE(fs::exists(home / (readOnlyHome ? "keyloom-" + user + ".lock" : ".keyloom.lock")))
            << runtime;
        EXPECT_EQ(windowCount(copy.pid()), "1") << "only the main window: " << runtime;
        const std::string maps = readFile("/proc/" + std::to_string(copy.pid()) + "/maps");
        ASSERT_NE(maps.find("libgtk-3"), std::string::npos);
        EXPECT_EQ(maps.find("librsvg"), std::string::npos);
        copy.signal(SIGTERM);
        ASSERT_TRUE(copy.wait(10).has_value());
    }
}

}  // namespace
}  // namespace keyloom::fault
