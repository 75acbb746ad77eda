// Text at the Windows boundary: the code page of macro files, UTF-16, ANSI.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/codepage.h"
#include "platform/win32/win32Text.h"

namespace keyloom::platform {
namespace {

struct Utf8Case {
    const char* name;
    std::string bytes;
    bool valid;
};

TEST(Codepage, Utf8IsValidatedAsOnLinux) {
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
    for (const Utf8Case& c : cases) EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.name;
}

TEST(Codepage, LegacyBytesComeFromTheAnsiCodePage) {
    if (GetACP() != 1252) GTEST_SKIP() << "the ANSI code page here is " << GetACP();
    EXPECT_EQ(legacyToUtf8("caf\xE9 \x80 \x9C"), "caf\xC3\xA9 \xE2\x82\xAC \xC5\x93");
    // Bytes 1252 leaves undefined give the C1 control of the same value, as on Linux.
    EXPECT_EQ(legacyToUtf8("\x81\x8D\x8F\x90\x9D"), "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
    EXPECT_EQ(legacyToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Codepage, Utf16ConversionsReplaceWhatIsMalformed) {
    EXPECT_EQ(win32::toWide("a\xC3\xA9\xF0\x9F\x98\x80"), L"a\u00E9\U0001F600");
    EXPECT_EQ(win32::toUtf8(L"a\u00E9\U0001F600"), "a\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(win32::toWide("x\xFFy"), L"x\uFFFDy");
    EXPECT_EQ(win32::toUtf8(std::wstring(L"x\xD800y")), "x\xEF\xBF\xBDy");
    EXPECT_EQ(win32::toWide(""), L"");
    EXPECT_FALSE(win32::toAnsiExactly(L"\u65E5").has_value());
}

}  // namespace
}  // namespace keyloom::platform
