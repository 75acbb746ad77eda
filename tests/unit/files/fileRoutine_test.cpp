#include "files/fileRoutine.h"

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "platform/fake/fakePlatform.h"
#include "support/fileBytes.h"
#include "support/harness.h"
#include "support/tempDir.h"

namespace keyloom::fileRoutine {
namespace {

namespace fs = std::filesystem;
using platform::MessageAnswer;
using Lines = std::vector<std::string>;

const std::string kQuestion = std::string("message ") + kOverwriteQuestion;
const std::string kError = std::string("message ") + kSaveError;

using test::entriesOf;
using test::namesIn;
using test::readFile;
using test::writeFile;

// A fresh folder per test and the toolkit.
class FileRoutine : public ::testing::Test {
protected:
    test::TempDir dir;
    platform::FakePlatform fake;
};

// Saved and loaded back: empty entries are not loaded.
TEST_F(FileRoutine, ListFileHasOneCrLfLinePerEntryInUtf8) {
    struct Case {
        Lines entries;
        std::string bytes;
        Lines loaded;
    };
    const std::vector<Case> cases = {
        {{}, "", {}},
        {{"Press_Tab", "", " "}, "Press_Tab\r\n\r\n \r\n", {"Press_Tab", " "}},
        {{"Wait >2", "SendText >caf\xC3\xA9 \xE2\x82\xAC"},
         "Wait >2\r\nSendText >caf\xC3\xA9 \xE2\x82\xAC\r\n",
         {"Wait >2", "SendText >caf\xC3\xA9 \xE2\x82\xAC"}},
        {{"a\nb"}, "a\nb\r\n", {"a", "b"}},
    };
    // A name beyond any single-byte code page.
    const std::string file = dir.str("Grüße 日本.txt");
    for (const Case& c : cases) {
        fs::remove(fs::u8path(file));
        EXPECT_EQ(saveList(file, VectorList(c.entries), fake), SaveResult::Written);
        EXPECT_EQ(readFile(fs::u8path(file)), c.bytes);
        EXPECT_EQ(entriesOf(loadList(file, fake).value()), c.loaded);
    }
    EXPECT_TRUE(fake.log.empty()) << "a new file is written without a question";
}

// The reader's verdicts (tests/unit/files/listReader_test.cpp) as the user
// sees them: bytes that are no text load with a warning, a failure says so.
TEST_F(FileRoutine, LoadWarnsOfNonTextAndReportsUnreadableFiles) {
    writeFile(dir.str("binary.tkl"), std::string("a\r\nb\0c", 6));
    EXPECT_EQ(loadList(dir.str("binary.tkl"), fake)->count(), 2);
    EXPECT_FALSE(loadList(dir.str("missing.tkl"), fake).has_value());
    EXPECT_EQ(fake.log, (Lines{"message " + nonTextMessage(dir.str("binary.tkl"), 2),
                               "message " + readErrorMessage(dir.str("missing.tkl"),
                                                             "No such file or directory")}));
}

TEST_F(FileRoutine, OverwriteAsksUnderTheProgramTitleAndNoLeavesTheFileUntouched) {
    std::string file = dir.str("m.tkl");
    writeFile(file, "old\r\n");
    fake.logToolkit = true;
    EXPECT_EQ(saveList(file, VectorList({"new"}), fake), SaveResult::Declined)
        << "the default answer is No";
    EXPECT_EQ(readFile(file), "old\r\n");
    EXPECT_EQ(fake.log, (Lines{kQuestion, std::string("title ") + kAppTitle}))
        << "no further message after No";

    fake.answers = {MessageAnswer::Yes};
    EXPECT_EQ(saveList(file, VectorList(), fake), SaveResult::Written);
    EXPECT_EQ(fs::file_size(file), 0u) << "an empty list gives a file of zero bytes";
    EXPECT_EQ(namesIn(dir), Lines{"m.tkl"});
}

TEST_F(FileRoutine, FailuresShowTheMessageAndLeaveEverythingAsItWas) {
    VectorList list({"new"});
    fs::create_directory(dir.str("folder"));
    writeFile(dir.str("plain"), "file in the path's place");
    const Lines targets = {
        dir.str("folder"),       // a folder is no file to write
        dir.str("plain/x.tkl"),  // a file where a folder should be
        dir.str("none/x.tkl"),   // a folder that does not exist
        "",
    };
    for (const std::string& target : targets) {
        fake.log.clear();
        EXPECT_EQ(saveList(target, list, fake), SaveResult::Failed) << target;
        EXPECT_EQ(fake.log, Lines{kError}) << target;
    }
    EXPECT_TRUE(fs::is_directory(dir.str("folder")));
    EXPECT_TRUE(fs::is_empty(dir.str("folder")));
    EXPECT_EQ(readFile(dir.str("plain")), "file in the path's place");
    EXPECT_EQ(namesIn(dir), (Lines{"folder", "plain"}));
}

TEST_F(FileRoutine, EditorTextEndsWithOneMoreLineBreak) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"A\n", "A\r\n\r\n"},
        {"", "\r\n"},
        {"a\r\nb\rc", "a\r\nb\r\nc\r\n"},
    };
    for (const auto& [text, bytes] : cases) EXPECT_EQ(textFileBytes(text), bytes) << text;
}

}  // namespace
}  // namespace keyloom::fileRoutine
