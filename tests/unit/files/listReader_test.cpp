#include "files/listReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace keyloom {
namespace {

std::vector<std::string> entriesOf(const LineList& list) {
    std::vector<std::string> out;
    for (Index i = 0; i < list.count(); ++i) out.push_back(list.entry(i));
    return out;
}

TEST(ListReader, SplitsLinesAsTheMainListLoadsThem) {
    struct Case {
        std::string bytes;
        std::vector<std::string> entries;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"\r\n\r\n", {}},
        {"Press_Tab\r\nPress_Enter\r\n", {"Press_Tab", "Press_Enter"}},
        {"Press_Tab\r\nPress_Enter", {"Press_Tab", "Press_Enter"}},
        {"a\rb\r\nc", {"a", "b", "c"}},
        {"a\r\n\r\n\r\nb\r\n", {"a", "b"}},
        {"   \r\n", {"   "}},
        {"a\nb\nc\n", {"a\nb\nc\n"}},
        {"a\n\rb", {"a\n", "b"}},
        {"\r\r\rx", {"x"}},
        {std::string("n\0ul\r\n", 6), {std::string("n\0ul", 4)}},
    };
    for (const Case& c : cases) EXPECT_EQ(entriesOf(LineList::split(c.bytes)), c.entries);
}

TEST(ListReader, DecodesUtf8OrTheLegacyCodePage) {
    EXPECT_EQ(decodeFileText("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(decodeFileText("\xEF\xBB\xBFPress_Tab"), "Press_Tab");
    // Windows-1252: é, €, the undefined 0x81 kept as U+0081.
    EXPECT_EQ(decodeFileText("caf\xE9 \x80 \x81"), "caf\xC3\xA9 \xE2\x82\xAC \xC2\x81");
    EXPECT_EQ(decodeFileText(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(ListReader, ReadsFilesAndReportsUnreadableOnes) {
    std::string path = testing::TempDir() + "listReader_test.tkl";
    {
        std::ofstream out(path, std::ios::binary);
        out << "Wait >1\r\nSendText >h\xE9llo\r\n";
    }
    auto list = readListFile(path);
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(entriesOf(*list), (std::vector<std::string>{"Wait >1", "SendText >h\xC3\xA9llo"}));
    std::remove(path.c_str());

    std::string error;
    EXPECT_FALSE(readListFile(path, &error).has_value());
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(readListFile(testing::TempDir(), &error).has_value()) << "a folder is no file";
}

TEST(ListReader, LargeInputsStayLinear) {
    // A million entries, and one line of a million tokens, load and run
    // through the tokenizer without quadratic costs.
    std::string many;
    for (int i = 0; i < 1000000; ++i) many += "Press_Tab\r\n";
    LineList list = LineList::split(many);
    EXPECT_EQ(list.count(), 1000000);
    EXPECT_EQ(list.view(999999), "Press_Tab");
}

}  // namespace
}  // namespace keyloom
