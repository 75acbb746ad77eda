// Bad macro files given to the player: each one loads and plays, dry and
// against a display, without a crash, a hang or a key left down.
#include <gtest/gtest.h>  // first: before Xlib's macros

#include <string>

#include "badFiles.h"
#include "fault/support/faultSupport.h"

namespace keyloom::fault {
namespace {

class BadFileInPlayer : public ::testing::TestWithParam<std::size_t> {
protected:
    const BadFile& file() const { return badFiles().at(GetParam()); }
    bool large() const { return std::string(file().name) == "HundredMegabytes"; }
};

TEST_P(BadFileInPlayer, PlaysDryToTheEnd) {
#ifdef __SANITIZE_ADDRESS__
    if (large()) GTEST_SKIP() << "a capacity case: minutes under the sanitizers";
#endif
    test::TempDir dir;
    const std::string folder = dir.str();
    Launch launch{":0", folder, folder + "/stderr"};
    // The large file prints a line per key: hundreds of megabytes.
    const std::string output = large() ? "/dev/null" : folder + "/stdout";
    test::ChildProcess player;
    std::string error;
    ASSERT_TRUE(player.start(commandLine(launch, {KEYLOOM_PLAY, "--dry-run", file().path}), &error,
                             output))
        << error;
    auto status = player.wait(300);
    ASSERT_TRUE(status.has_value()) << "the player did not end";
    EXPECT_EQ(*status, file().playerStatus) << readFile(launch.stderrFile).substr(0, 2000);
    if (std::string(file().name) == "InvalidUtf8") {
        const std::string out = readFile(output);
        EXPECT_NE(out.find("type caf\u00e9\n"), std::string::npos) << out;
        EXPECT_NE(out.find("type \u00c3 \u20acuro\n"), std::string::npos) << out;
    }
}

TEST_P(BadFileInPlayer, PlaysOnADisplayAndLeavesNothingDown) {
    if (large()) GTEST_SKIP() << "millions of key presses: played dry only";
    PrivateDisplay display;
    ASSERT_TRUE(display.ok());
    test::TempDir dir;
    const std::string folder = dir.str();
    Launch launch{display.name(), folder, folder + "/stderr"};
    test::ChildProcess player;
    std::string error;
    ASSERT_TRUE(player.start(commandLine(launch, {KEYLOOM_PLAY, file().path}), &error)) << error;
    auto status = player.wait(300);
    ASSERT_TRUE(status.has_value()) << "the player did not end";
    EXPECT_EQ(*status, file().playerStatus) << readFile(launch.stderrFile).substr(0, 2000);
    test::XConnection x(display.name());
    HeldInput held = heldInput(x.get());
    EXPECT_TRUE(held.none()) << describe(held);
}

INSTANTIATE_TEST_SUITE_P(Fault, BadFileInPlayer, ::testing::Range<std::size_t>(0, badFiles().size()),
                         [](const ::testing::TestParamInfo<std::size_t>& p) {
                             return std::string(badFiles().at(p.param).name);
                         });

}  // namespace
}  // namespace keyloom::fault
