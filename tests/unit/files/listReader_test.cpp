#include "files/listReader.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/codepage.h"
#include "support/fileBytes.h"
#include "support/harness.h"
#include "support/tempDir.h"

namespace keyloom {
namespace {

using test::entriesOf;

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
        {"   \r\n", {"   "}},
        // A lone LF ends a line too: files written on Linux.
        {"a\n\rb\r\n\nc", {"a", "b", "c"}},
        {"\r\r\rx", {"x"}},
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
        {"empty", "", true},
        {"ascii", "Press_Tab", true},
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
    test::writeFile(path, "");
    std::filesystem::resize_file(path, kMaxFileBytes + 1);
    EXPECT_FALSE(readListFile(path, &error).has_value()) << "one byte too large";
    EXPECT_EQ(error, kTooLarge);
}

}  // namespace
}  // namespace keyloom
