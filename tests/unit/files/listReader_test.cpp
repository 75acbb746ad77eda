// Macro files: the list reader's verdicts on bytes and files, and the file
// routine that moves lists and texts between files and the windows.
#include "files/listReader.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/engine.h"
#include "files/fileRoutine.h"
#include "platform/codepage.h"
#include "platform/fake/fakePlatform.h"
#include "support/fileBytes.h"
#include "support/harness.h"
#include "support/tempDir.h"

namespace keyloom {
namespace {

using namespace fileRoutine;
namespace fs = std::filesystem;
using platform::MessageAnswer;
using Lines = std::vector<std::string>;
using test::entriesOf;
using test::namesIn;
using test::readFile;
using test::writeFile;

const std::string kQuestion = std::string("message ") + kOverwriteQuestion;
const std::string kError = std::string("message ") + kSaveError;

// Bytes of a file in, entries out, and the first line that is no text.
TEST(ListReader, ReadsEntriesAsTheMainListLoadsThem) {
    struct Case {
        std::string bytes;
        std::vector<std::string> entries;
        std::size_t nonText = 0;
    };
    const std::vector<Case> cases = {
        {"Press_Tab\r\nPress_Enter", {"Press_Tab", "Press_Enter"}},
        {"a\rb\r\nc", {"a", "b", "c"}},
        {"a\r\n\r\n\r\nb\r\n", {"a", "b"}},
        // A lone LF ends a line too: files written on Linux.
        {"a\n\rb\r\n\nc", {"a", "b", "c"}},
        // UTF-8 (its byte order mark dropped), else Windows-1252 for the whole file.
        {"\xEF\xBB\xBFPress_Tab", {"Press_Tab"}},
        {"caf\xE9 \x80\r\n", {"caf\xC3\xA9 \xE2\x82\xAC"}},
        // UTF-16 with its byte order mark, either byte order.
        {std::string("\xFF\xFEW\0a\0i\0t\0\r\0\n\0\xE9\0\x3D\xD8\x00\xDE", 20),
         {"Wait", "\xC3\xA9\xF0\x9F\x98\x80"}},
        {std::string("\xFE\xFF\0L\0o\0o\0p\0\n", 12), {"Loop"}},
        {std::string("\xFF\xFE\x00\xD8" "a\0", 6), {"\xEF\xBF\xBD" "a"}},  // a lone surrogate
        // Bytes that are no text: kept as they are, and named.
        {std::string("Wait >1\r\nSendText >ab\0cd\r\n", 26), {"Wait >1", std::string("SendText >ab\0cd", 15)}, 2},
        {"a\r\n\r\nb\x01\r\n", {"a", "b\x01"}, 3},
        // 1252 leaves 0x81 undefined: the C1 control of the same value, as on Windows.
        {std::string("x\0\x81", 3), {std::string("x\0\xC2\x81", 4)}, 1},
        {"x\x81", {"x\xC2\x81"}, 1},
    };
    for (const Case& c : cases) {
        const std::string text = decodeFileText(c.bytes);
        EXPECT_EQ(entriesOf(LineList::split(text)), c.entries) << c.bytes;
        EXPECT_EQ(firstNonTextLine(text), c.nonText) << c.bytes;
    }
}

struct Utf8Case {
    const char* name;
    std::string bytes;
    bool valid;
};

// What decides between UTF-8 and the legacy code page, alike on every platform.
TEST(Codepage, Utf8IsValidatedAlikeOnEveryPlatform) {
    const Utf8Case cases[] = {
        {"two bytes", "caf\xC3\xA9", true},
        {"three bytes", "\xE2\x82\xAC 5", true},
        {"four bytes", "\xF0\x9F\x98\x80", true},
        {"NUL inside", std::string("a\0b\xC3\xA9", 5), true},
        {"last code point", "\xF4\x8F\xBF\xBF", true},
        {"legacy e acute", "caf\xE9", false},
        {"overlong slash", "\xC0\xAF", false},
        {"overlong NUL", "\xC0\x80", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", false},
        {"cut short", "\xE2\x82", false},
        {"lone continuation", "\x80", false},
        {"byte FF", "\xFF", false},
    };
    for (const Utf8Case& c : cases) EXPECT_EQ(platform::isValidUtf8(c.bytes), c.valid) << c.name;
}

// Files that read (and a missing one) go through the file routine's tests.
TEST(ListReader, RefusesWhatIsNoFileAndWhatIsTooLarge) {
    test::TempDir dir;
    std::string error;
    EXPECT_FALSE(readListFile(dir.str(), &error).has_value()) << "a folder is no file";
    EXPECT_FALSE(readListFile("/dev/zero", &error).has_value()) << "nor is a device";
    EXPECT_EQ(error, kNotAFile);
    const std::string path = dir.str("list.tkl");
    writeFile(path, "");
    std::filesystem::resize_file(path, kMaxFileBytes + 1);
    EXPECT_FALSE(readListFile(path, &error).has_value()) << "one byte too large";
    EXPECT_EQ(error, kTooLarge);
}

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

// The reader's verdicts (above) as the user sees them: bytes that are no
// text load with a warning, a failure says so.
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
}  // namespace keyloom
