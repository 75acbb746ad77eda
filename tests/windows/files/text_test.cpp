// Text at the Windows boundary: UTF-16. UTF-8 validation and how a macro
// file's bytes of the ANSI code page are read are
// tests/unit/files/listReader_test.cpp's, a unit test that runs under Wine too.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/win32Text.h"

namespace keyloom::platform {
namespace {

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
