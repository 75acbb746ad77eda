// Bad macro files loaded into the main window with File, Load (the file
// dialog answered with the file's path): each loads, entry for entry as the
// file has them, and the window stays usable.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "badFiles.h"
#include "platform/fake/fakePlatform.h"
#include "tests/gui/guiProgram.h"

namespace keyloom::fault {
namespace {

using test::dialogs;
using test::pump;

class BadFileInMainWindow : public ::testing::TestWithParam<std::size_t> {
protected:
    const BadFile& file() const { return badFiles().at(GetParam()); }
};

TEST_P(BadFileInMainWindow, LoadsEveryEntryAndStaysUsable) {
#ifdef __SANITIZE_ADDRESS__
    if (std::string(file().name) == "HundredMegabytes")
        GTEST_SKIP() << "a capacity case: minutes under the sanitizers";
#endif
    platform::FakePlatform desktop;
    test::GuiProgram program(&desktop);
    ui::tKeyloomFrame* frame = program.main;
    dialogs().paths = {file().path};
    // Each message closed as with Escape: the box's default answer.
    dialogs().answers.assign(static_cast<std::size_t>(file().messages), wxID_CANCEL);

    const auto start = std::chrono::steady_clock::now();
    frame->handlers().load_Click();
    frame->Update();  // drawn
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %lld entries loaded and drawn in %.2f s\n", file().name,
                static_cast<long long>(frame->listCount()), seconds);

    EXPECT_EQ(std::count_if(dialogs().asked.begin(), dialogs().asked.end(),
                            [](const std::string& a) { return a.rfind("message ", 0) == 0; }),
              file().messages);
    ASSERT_EQ(frame->listCount(), static_cast<Index>(file().entries));
    EXPECT_EQ(program.state.lastIndex, frame->listCount());
    for (std::size_t i = 0; i < file().first.size(); ++i)
        EXPECT_TRUE(frame->listEntry(static_cast<Index>(i)) == file().first[i]) << "entry " << i;

    // Still usable: the list is cleared and built again.
    frame->handlers().clear_Click();
    pump();
    EXPECT_EQ(frame->listCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Fault, BadFileInMainWindow, ::testing::Range<std::size_t>(0, badFiles().size()),
                         [](const ::testing::TestParamInfo<std::size_t>& p) {
                             return std::string(badFiles().at(p.param).name);
                         });

}  // namespace
}  // namespace keyloom::fault
