// A player that ends at once loses none of its input.
#include "x11Fixture.h"
#include "files/fileRoutine.h"
#include "support/fileBytes.h"
#include "support/tempDir.h"

namespace keyloom::test {
namespace {

// The player syncs with the server before it closes its connection: a run
// that ends right after its last event still delivers every one of them.
TEST_F(X11ProbeTest, AShortPlayerRunLosesNoFinalEvents) {
    std::vector<std::string> entries(50, "Press_Tab");
    entries.push_back("Press_End");
    TempDir dir;
    writeFile(dir / "macro.tkl", fileRoutine::listFileBytes(VectorList(entries)));
    std::vector<std::string> want;
    for (int i = 0; i < 50; ++i) want.insert(want.end(), {"down Tab", "up Tab"});
    want.insert(want.end(), {"down End", "up End"});
    for (int run = 0; run < 25; ++run) {
        SCOPED_TRACE("run " + std::to_string(run + 1));
        ChildProcess player;
        ASSERT_TRUE(player.start({playerPath(), dir.str("macro.tkl")}));
        ASSERT_EQ(player.wait(30), std::optional<int>(0));
        ASSERT_EQ(describe(received()), want);
    }
}

}  // namespace
}  // namespace keyloom::test
