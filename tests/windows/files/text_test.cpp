// Text at the Windows boundary: UTF-8 and UTF-16. How a macro file's bytes of
// the ANSI code page are read is tests/unit/files/listReader_test.cpp's, a
// unit test that runs under Wine too.
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
