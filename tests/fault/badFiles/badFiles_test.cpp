// Macro files that are not what a macro file should be (binary data, a
// 100 MB file, a 10 MB single line, a NUL inside an entry), each given to the
// player against a display and loaded into the main window with File, Load:
// no crash, hang or key left down; every entry as the file has it, and the
// window stays usable. (How the reader decodes text that is not UTF-8, and
// that it refuses a device, is tests/unit/files/listReader_test.cpp's.)
#include <gtest/gtest.h>  // first: before Xlib's macros

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "fault/support/faultSupport.h"
#include "platform/fake/fakePlatform.h"
#include "tests/gui/guiProgram.h"

namespace keyloom::fault {
namespace {

struct BadFile {
    const char* name;
    std::string path;
    // The entries a reader must find: their count, and the first few exactly.
    std::size_t entries;
    std::vector<std::string> first;
    // Messages of the main window's Load: its warning of bytes that are no text.
    int messages = 0;
};

// The count of lines of `bytes` as a macro file has them: ended by CR, LF,
// CR LF or the end, empty ones not counted.
std::size_t countLines(const std::string& bytes) {
    auto ends = [](char c) { return c == '\r' || c == '\n'; };
    std::size_t count = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (!ends(bytes[i]) && (i == 0 || ends(bytes[i - 1]))) ++count;  // a line starts
    return count;
}

std::string repeatedTo(std::size_t size, std::string bytes, const std::string& block) {
    bytes.reserve(size);
    while (bytes.size() + block.size() <= size) bytes += block;
    return bytes;
}

// Made once per test program (110 MB), removed as it ends.
const std::vector<BadFile>& badFiles() {
    static const test::TempDir folder;
    static const std::vector<BadFile> files = [] {
        auto write = [&](const char* name, const std::string& bytes) {
            test::writeFile(folder.str(name), bytes);
            return folder.str(name);
        };
        std::vector<BadFile> out;
        std::mt19937 random(20261206);
        std::string bytes(1 << 20, '\0');
        for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
        out.push_back({"BinaryData", write("binary.tkl", bytes), countLines(bytes), {}, 1});
        bytes = repeatedTo(100u << 20, "",
                           "Press_Tab\r\nSendText >a line of a very large macro file\r\n");
        out.push_back({"HundredMegabytes", write("large.tkl", bytes), countLines(bytes),
                       {"Press_Tab", "SendText >a line of a very large macro file", "Press_Tab"}});
        bytes = repeatedTo(10u << 20, "SendText >", "abcdefghi ") + "\r\nPress_Enter\r\n";
        out.push_back({"TenMegabyteLine", write("longLine.tkl", bytes), 2,
                       {bytes.substr(0, bytes.find('\r')), "Press_Enter"}});
        const std::string nul("SendText >ab\0cd\r\nPress_Tab\r\n", 26);
        out.push_back(
            {"NulInEntry", write("nul.tkl", nul), 2, {nul.substr(0, 15), "Press_Tab"}, 1});
        return out;
    }();
    return files;
}

class BadFiles : public ::testing::TestWithParam<std::size_t> {
protected:
#ifdef __SANITIZE_ADDRESS__
    void SetUp() override {
        if (large) GTEST_SKIP() << "a capacity case: minutes under the sanitizers";
    }
#endif
    const BadFile& file = badFiles().at(GetParam());
    const bool large = std::string(file.name) == "HundredMegabytes";
};

// The large file, millions of key presses, is played dry (what the dry
// backend prints is tests/unit/player's, what the entries decode to
// tests/unit/files/listReader_test.cpp's).
TEST_P(BadFiles, PlayToTheEndAndLeaveNothingDown) {
    PrivateDisplay display;
    ASSERT_TRUE(display.ok());
    test::TempDir dir;
    Launch launch{display.name(), dir.str(), dir.str("stderr")};
    std::vector<std::string> argv = {KEYLOOM_PLAY, file.path};
    if (large) argv.insert(argv.begin() + 1, "--dry-run");
    test::ChildProcess player;
    std::string error;
    ASSERT_TRUE(player.start(commandLine(launch, argv), &error, "/dev/null")) << error;
    EXPECT_EQ(player.wait(300), std::optional<int>(0))
        << readFile(launch.stderrFile).substr(0, 2000);
    EXPECT_EQ(heldInput(test::XConnection(display.name()).get()), "");
}

TEST_P(BadFiles, LoadIntoTheMainWindowEntryForEntryAndLeaveItUsable) {
    platform::FakePlatform desktop;
    test::GuiProgram program(&desktop);
    ui::tKeyloomFrame* frame = program.main;
    test::dialogs().paths = {file.path};
    // Each message closed as with Escape: the box's default answer.
    test::dialogs().answers.assign(static_cast<std::size_t>(file.messages), wxID_CANCEL);

    frame->handlers().load_Click();  // how long it takes is bench/loadBench's
    frame->Update();  // drawn

    EXPECT_EQ(
        std::ranges::count_if(test::dialogs().asked,
                              [](const std::string& a) { return a.rfind("message ", 0) == 0; }),
        file.messages);
    ASSERT_EQ(frame->listCount(), static_cast<Index>(file.entries));
    EXPECT_EQ(program.state.lastIndex, frame->listCount());
    for (std::size_t i = 0; i < file.first.size(); ++i)
        EXPECT_TRUE(frame->listEntry(static_cast<Index>(i)) == file.first[i]) << "entry " << i;

    // Still usable: the list is cleared and built again.
    frame->handlers().clear_Click();
    test::pump();
    EXPECT_EQ(frame->listCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Fault, BadFiles, ::testing::Range<std::size_t>(0, badFiles().size()),
                         [](const ::testing::TestParamInfo<std::size_t>& p) {
                             return std::string(badFiles().at(p.param).name);
                         });

}  // namespace
}  // namespace keyloom::fault
