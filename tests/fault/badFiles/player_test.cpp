// Bad macro files given to the player: each one loads and plays against a
// display without a crash, a hang or a key left down.
#include <gtest/gtest.h>  // first: before Xlib's macros

#include <string>
#include <vector>

#include "badFiles.h"
#include "fault/support/faultSupport.h"

namespace keyloom::fault {
namespace {

class BadFileInPlayer : public ::testing::TestWithParam<std::size_t> {
protected:
    const BadFile& file() const { return badFiles().at(GetParam()); }
    test::TempDir dir;
};

// The large file, millions of key presses, is played dry (what the dry
// backend prints is tests/unit/player's, what the entries decode to
// tests/unit/files/listReader_test.cpp's).
TEST_P(BadFileInPlayer, PlaysToTheEndAndLeavesNothingDown) {
    const bool large = std::string(file().name) == "HundredMegabytes";
#ifdef __SANITIZE_ADDRESS__
    if (large) GTEST_SKIP() << "a capacity case: minutes under the sanitizers";
#endif
    PrivateDisplay display;
    ASSERT_TRUE(display.ok());
    Launch launch{display.name(), dir.str(), dir.str("stderr")};
    std::vector<std::string> argv = {KEYLOOM_PLAY, file().path};
    if (large) argv.insert(argv.begin() + 1, "--dry-run");
    test::ChildProcess player;
    std::string error;
    ASSERT_TRUE(player.start(commandLine(launch, argv), &error, "/dev/null")) << error;
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
