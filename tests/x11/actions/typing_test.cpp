// SendText typing into real programs: xterm running cat, and a GTK text
// field, under the US and the German layout; the files they write show
// exactly what arrived.
#include "actionsFixture.h"  // first: gtest before the X11 macros
#include <X11/Xlib.h>

#include "actions/keyString.h"

namespace keyloom::test {
namespace {

struct TypingCase {
    std::string text;      // in the notation
    std::string expected;  // what the program receives
};

// For xterm: keys arrive as the bytes a terminal sends.
const std::vector<TypingCase> kTerminalCases = {
    {"The quick brown fox 0123456789", "The quick brown fox 0123456789"},
    {"!\"#$&'*:<>?@|_[]\\/=;,.`", "!\"#$&'*:<>?@|_[]\\/=;,.`"},
    {"+(abc)d{+}{^}{%}{~}{(}{)}{{}{}}x{h 3}~y", "ABCd+^%~(){}xhhh\ny"},
    {"x{LEFT 2}y{TAB}z{ENTER}", "x\x1b[D\x1b[Dy\tz\n"},
    {"a^bc", "a\x02" "c"},
    {"é€日😀 ñß Ω→ ÄÖÜ", "é€日😀 ñß Ω→ ÄÖÜ"},
    {"a\tb\nc", "a\tb\nc"},
};

// For a GTK field: one line, where named keys move the cursor.
const std::vector<TypingCase> kFieldCases = {
    {"The quick brown fox 0123456789", "The quick brown fox 0123456789"},
    {"!\"#$&'*:<>?@|_[]\\/=;,.`", "!\"#$&'*:<>?@|_[]\\/=;,.`"},
    {"+(abc)d{+}{^}{%}{~}{(}{)}{{}{}}x{h 3}", "ABCd+^%~(){}xhhh"},
    {"é€日😀 ñß Ω→ ÄÖÜ", "é€日😀 ñß Ω→ ÄÖÜ"},
    {"{END}12{LEFT 1}3", "132"},
};

class Typing : public X11ActionsTest {
public:
    // Types each case and checks what arrived after it.
    void typeAll(TextTarget& target, const std::vector<TypingCase>& cases) {
        std::string expected;
        for (const TypingCase& c : cases) {
            KeyStringResult parsed = parseKeyString(c.text);
            ASSERT_EQ(parsed.error, "") << c.text;
            desktop->typeKeys(c.text, parsed.strokes);
            desktop->sync();
            expected += c.expected;
            ASSERT_EQ(target.waitFor(expected), expected) << "after typing " << c.text;
        }
    }
};

TEST_F(Typing, TerminalReceivesEveryCharacterUnderTheUsLayout) {
    TextTarget term(TextTarget::Kind::Xterm, "Keyloom typing xterm us");
    std::string error;
    ASSERT_TRUE(term.start(x.get(), &error)) << error;
    typeAll(term, kTerminalCases);
}

// Disabled: switching layouts under openbox can leave it busy for a long
// while, which stalls the display tests after it (to be investigated).
TEST_F(Typing, DISABLED_TerminalReceivesEveryCharacterUnderTheGermanLayout) {
    LayoutGuard layout("de");
    ASSERT_TRUE(layout.ok());
    TextTarget term(TextTarget::Kind::Xterm, "Keyloom typing xterm de");
    std::string error;
    ASSERT_TRUE(term.start(x.get(), &error)) << error;
    typeAll(term, kTerminalCases);
}

TEST_F(Typing, GtkFieldReceivesEveryCharacterUnderTheUsLayout) {
    if (gtkFieldPath().empty()) GTEST_SKIP() << "built without GTK 3";
    TextTarget field(TextTarget::Kind::Gtk, "Keyloom typing field us");
    std::string error;
    ASSERT_TRUE(field.start(x.get(), &error)) << error;
    typeAll(field, kFieldCases);
}

TEST_F(Typing, DISABLED_GtkFieldReceivesEveryCharacterUnderTheGermanLayout) {
    if (gtkFieldPath().empty()) GTEST_SKIP() << "built without GTK 3";
    LayoutGuard layout("de");
    ASSERT_TRUE(layout.ok());
    TextTarget field(TextTarget::Kind::Gtk, "Keyloom typing field de");
    std::string error;
    ASSERT_TRUE(field.start(x.get(), &error)) << error;
    typeAll(field, kFieldCases);
}

// Many different characters the map lacks: spare keycodes are bound, used
// and bound again in turn, and no character comes out garbled.
// Disabled with the one below: after it, new windows sometimes take very
// long to appear under openbox (to be investigated).
TEST_F(Typing, DISABLED_ManyCharactersOffTheMapArriveIntact) {
    TextTarget term(TextTarget::Kind::Xterm, "Keyloom typing many");
    std::string error;
    ASSERT_TRUE(term.start(x.get(), &error)) << error;
    const std::u32string pool = U"éèêëàâäôöüûçñ€£¥©®°±ΩαβγδεζηθλμπσφψωЖЗИЙКЛМНОП日本語中文字漢한국어😀😁😂🎉🚀✓✗→←";
    std::u32string text;
    for (std::size_t i = 0; i < 300; ++i) text += pool[(i * 37 + i / 7) % pool.size()];
    std::string utf8;
    for (char32_t c : text) {
        if (c < 0x800) {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            utf8 += static_cast<char>(0xE0 | (c >> 12));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            utf8 += static_cast<char>(0xF0 | (c >> 18));
            utf8 += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    KeyStringResult parsed = parseKeyString(utf8);
    ASSERT_EQ(parsed.error, "");
    desktop->typeKeys(utf8, parsed.strokes);
    desktop->sync();
    EXPECT_EQ(term.waitFor(utf8), utf8);
}

// Spare keycodes are given back exactly as they were when the desktop closes.
TEST_F(Typing, DISABLED_TheKeyboardMapIsPutBackAfterwards) {
    auto mapping = [&] {
        int low = 0, high = 0, per = 0;
        XDisplayKeycodes(x.get(), &low, &high);
        KeySym* syms = XGetKeyboardMapping(x.get(), static_cast<KeyCode>(low), high - low + 1, &per);
        std::vector<KeySym> out(syms, syms + (high - low + 1) * per);
        XFree(syms);
        return out;
    };
    auto before = mapping();
    TextTarget term(TextTarget::Kind::Xterm, "Keyloom typing restore");
    std::string error;
    ASSERT_TRUE(term.start(x.get(), &error)) << error;
    play({"SendText >日本 😀é"});
    EXPECT_EQ(term.waitFor("日本 😀é"), "日本 😀é");
    EXPECT_NE(mapping(), before) << "the characters were typed through spare keycodes";
    desktop.reset();
    EXPECT_EQ(mapping(), before);
}

// Text comes out as written whatever Shift or Caps Lock the macro holds;
// the held state is back afterwards.
// Disabled: hangs when run after the other typing tests (not yet understood).
TEST_F(Typing, DISABLED_HeldShiftAndCapsLockDoNotChangeTheText) {
    TextTarget term(TextTarget::Kind::Xterm, "Keyloom typing held");
    std::string error;
    ASSERT_TRUE(term.start(x.get(), &error)) << error;
    play({"Press_Shift", "SendText >abC 1!", "Release_Shift"});
    EXPECT_EQ(term.waitFor("abC 1!"), "abC 1!");
    play({"CapsOn", "SendText >abC é", "CapsOff"});
    EXPECT_EQ(term.waitFor("abC 1!abC é"), "abC 1!abC é");
    // Under Shift held by the macro, a key of the notation is shifted.
    play({"Press_Shift", "SendText >{TAB}x", "Release_Shift"});
    EXPECT_EQ(term.waitFor("abC 1!abC é\x1b[Zx"), "abC 1!abC é\x1b[Zx");
    EXPECT_TRUE(keysDown(x.get()).empty());
}

TEST_F(Typing, RejectedNotationTypesNothingAndTheRunGoesOn) {
    TextTarget term(TextTarget::Kind::Xterm, "Keyloom typing rejected");
    std::string error;
    ASSERT_TRUE(term.start(x.get(), &error)) << error;
    play({"SendText >ab{LEFT 4x}", "SendText >C++", "SendText >ok"});
    EXPECT_EQ(term.waitFor("ok"), "ok");
    EXPECT_EQ(toolkit.messages,
              (std::vector<std::string>{
                  "Tervel's Keyloom: Cannot type this text: \"{LEFT 4x}\": the repeat count must be "
                  "a whole number from 0 to 10000.",
                  "Tervel's Keyloom: Cannot type this text: \"+\" at character 3 repeats a "
                  "modifier before its key."}));
}

}  // namespace
}  // namespace keyloom::test
