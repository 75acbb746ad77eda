// SendText typing into real programs: xterm running cat, and a GTK text
// field, under the US and the German layout; the files they write show
// exactly what arrived.
#include "x11Fixture.h"  // first: gtest before the X11 macros
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <array>
#include <optional>

#include "actions/keyString.h"
#include "offMapText.h"

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

class Typing : public X11Test {
public:
    // Types each case and checks what arrived after it.
    void typeAll(TextTarget& target, const std::vector<TypingCase>& cases) {
        std::string expected;
        for (const TypingCase& c : cases) {
            KeyStringResult parsed = parseKeyString(c.text);
            ASSERT_EQ(parsed.error, "") << c.text;
            desktop->typeKeys(c.text, parsed.strokes, {});
            desktop->sync();
            expected += c.expected;
            ASSERT_EQ(target.waitFor(expected), expected) << "after typing " << c.text;
        }
    }
};

// A program to type into, under a keyboard layout.
struct Target {
    TextTarget::Kind kind;
    const char* layout;  // nullptr: the display's own (US)
    const char* name;
};

class TypingInto : public Typing, public ::testing::WithParamInterface<Target> {};

TEST_P(TypingInto, ReceivesEveryCharacter) {
    const Target& t = GetParam();
    const bool field = t.kind == TextTarget::Kind::Gtk;
    if (field && gtkFieldPath().empty()) GTEST_SKIP() << "built without GTK 3";
    std::optional<LayoutGuard> layout;
    if (t.layout != nullptr) {
        layout.emplace(t.layout);
        ASSERT_TRUE(layout->ok());
    }
    TextTarget target(t.kind, std::string("Keyloom typing ") + t.name);
    std::string error;
    ASSERT_TRUE(target.start(x.get(), &error)) << error;
    typeAll(target, field ? kFieldCases : kTerminalCases);
}

INSTANTIATE_TEST_SUITE_P(, TypingInto,
                         ::testing::Values(Target{TextTarget::Kind::Xterm, nullptr, "xterm us"},
                                           Target{TextTarget::Kind::Xterm, "de", "xterm de"},
                                           Target{TextTarget::Kind::Gtk, nullptr, "field us"},
                                           Target{TextTarget::Kind::Gtk, "de", "field de"}),
                         [](const ::testing::TestParamInfo<Target>& param) {
                             std::string name = param.param.name;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

// Many more different characters than there are spare keys: spare keycodes
// are bound, used and bound again in turn, and no character comes out
// garbled.
TEST_F(Typing, ManyCharactersOffTheMapArriveIntact) {
    TextTarget term(TextTarget::Kind::Xterm, "Keyloom typing many");
    std::string error;
    ASSERT_TRUE(term.start(x.get(), &error)) << error;
    const std::string text = mixedOffMapText(400);
    KeyStringResult parsed = parseKeyString(text);
    ASSERT_EQ(parsed.error, "");
    desktop->typeKeys(text, parsed.strokes, {});
    desktop->sync();
    EXPECT_EQ(term.waitFor(text), text);
}

// Spare keycodes are given back exactly as they were when the run ends.
// Every program (the window manager too) is told of each change once: each
// notice makes a window manager grab all its key bindings again.
TEST_F(Typing, TheKeyboardMapIsPutBackAfterwardsAndEachChangeToldOnce) {
    // The keyboard map notices that came to the test's connection since the
    // previous call.
    // A program that follows the keyboard map through XKB, as toolkits do,
    // is still sent the core notice.
    XkbSelectEvents(x.get(), XkbUseCoreKbd, XkbMapNotifyMask, XkbMapNotifyMask);
    auto mapNotices = [&] {
        XSync(x.get(), False);
        int count = 0;
        XEvent event;
        while (XCheckTypedEvent(x.get(), MappingNotify, &event))
            count += event.xmapping.request == MappingKeyboard ? 1 : 0;
        return count;
    };
    auto before = serverMapping(x.get());
    TextTarget term(TextTarget::Kind::Xterm, "Keyloom typing restore");
    std::string error;
    ASSERT_TRUE(term.start(x.get(), &error)) << error;
    mapNotices();
    play({"SendText >日本 😀é"});
    EXPECT_EQ(term.waitFor("日本 😀é"), "日本 😀é");
    EXPECT_EQ(serverMapping(x.get()), before);
    EXPECT_EQ(mapNotices(), 2) << "one binding of the four characters, one restoring";
    desktop.reset();
    EXPECT_EQ(mapNotices(), 0);
}

// A key pressed on a real keyboard between two texts makes the server tell
// of a "new" keyboard (the keys now come from another device), though the map
// is the same: the spare keycodes bound before are still Keyloom's, are used
// again and are given back at the end.
TEST_F(Typing, ARealKeyBetweenTextsKeepsTheSpareKeycodes) {
    RealKeyboard keyboard(x.get());
    if (!keyboard) GTEST_SKIP() << "this X server has no keyboard device besides XTest";
    auto before = serverMapping(x.get());
    TextTarget term(TextTarget::Kind::Xterm, "Keyloom typing real key");
    std::string error;
    ASSERT_TRUE(term.start(x.get(), &error)) << error;
    // Typed as one run types them: a run gives its spare keycodes back at its end.
    auto type = [&](const std::string& text) {
        desktop->typeKeys(text, parseKeyString(text).strokes, {});
    };
    type("日本");
    EXPECT_EQ(term.waitFor("日本"), "日本");
    // Where 日 is bound, asked of the server.
    auto keycodeOfSun = [&] {
        int low = 0, per = 1;
        const auto syms = serverMapping(x.get(), &low, &per);
        auto at = std::find(syms.begin(), syms.end(), 0x10065e5UL);
        return at == syms.end() ? 0 : low + static_cast<int>(at - syms.begin()) / per;
    };
    const int first = keycodeOfSun();
    ASSERT_NE(first, 0);
    keyboard.tap(XK_Shift_L);
    type("本日");
    EXPECT_EQ(term.waitFor("日本本日"), "日本本日");
    EXPECT_EQ(keycodeOfSun(), first) << "bound again elsewhere";
    desktop.reset();
    EXPECT_EQ(serverMapping(x.get()), before);
}

// A spare keycode that another program bound since (or that a new keyboard
// map uses) is not ours to give back: closing the desktop (or ending the
// run, which does the same) leaves it alone.
TEST_F(Typing, ClosingLeavesAloneKeycodesOthersBoundSince) {
    TextTarget term(TextTarget::Kind::Xterm, "Keyloom typing others");
    std::string error;
    ASSERT_TRUE(term.start(x.get(), &error)) << error;
    // More characters than one keycode has levels: two keycodes.
    desktop->typeKeys("ħĸŀłŉ", parseKeyString("ħĸŀłŉ").strokes, {});
    EXPECT_EQ(term.waitFor("ħĸŀłŉ"), "ħĸŀłŉ");
    const KeyCode taken = XKeysymToKeycode(x.get(), 0x1000127);  // ħ
    const KeyCode ours = XKeysymToKeycode(x.get(), 0x1000149);   // ŉ
    ASSERT_NE(taken, 0);
    ASSERT_NE(ours, 0);
    ASSERT_NE(taken, ours);
    KeySym other[2] = {XK_F35, XK_F35};
    XChangeKeyboardMapping(x.get(), taken, 2, other, 1);
    XSync(x.get(), False);
    desktop.reset();
    EXPECT_EQ(keysymsOf(x.get(), taken).at(0), static_cast<unsigned long>(XK_F35));
    EXPECT_TRUE(keysymsOf(x.get(), ours).empty()) << "ours is given back";
    XChangeKeyboardMapping(x.get(), taken, 1, std::array<KeySym, 1>{NoSymbol}.data(), 1);
    XSync(x.get(), False);
}

// Another program (another typing tool) binds an empty keycode while
// Keyloom has spare keycodes of its own: typing goes on on the others, and
// the other program's key stays as it bound it.
TEST_F(Typing, AKeycodeAnotherProgramTakesMeanwhileIsLeftToIt) {
    TextTarget term(TextTarget::Kind::Xterm, "Keyloom typing shared");
    std::string error;
    ASSERT_TRUE(term.start(x.get(), &error)) << error;
    play({"SendText >ħĸŀłŉŋŌō"});
    EXPECT_EQ(term.waitFor("ħĸŀłŉŋŌō"), "ħĸŀłŉŋŌō");
    // The lowest keycode that is free now: no keysyms, no actions, no
    // modifiers (what a careful typing tool would take).
    KeyCode taken = 0;
    XkbDescPtr xkb = XkbGetMap(x.get(), XkbKeySymsMask | XkbKeyActionsMask | XkbModifierMapMask,
                               XkbUseCoreKbd);
    ASSERT_NE(xkb, nullptr);
    for (int kc = xkb->min_key_code; kc <= xkb->max_key_code && taken == 0; ++kc)
        if (XkbKeyNumSyms(xkb, kc) == 0 && xkb->map->modmap[kc] == 0 && !XkbKeyHasActions(xkb, kc))
            taken = static_cast<KeyCode>(kc);
    XkbFreeKeyboard(xkb, 0, True);
    ASSERT_NE(taken, 0);
    KeySym other[1] = {XK_F35};
    XChangeKeyboardMapping(x.get(), taken, 1, other, 1);
    XSync(x.get(), False);
    play({"SendText >ŐőŒœ"});
    EXPECT_EQ(term.waitFor("ħĸŀłŉŋŌōŐőŒœ"), "ħĸŀłŉŋŌōŐőŒœ");
    EXPECT_EQ(keysymsOf(x.get(), taken).at(0), static_cast<unsigned long>(XK_F35));
    desktop.reset();
    KeySym none[1] = {NoSymbol};
    XChangeKeyboardMapping(x.get(), taken, 1, none, 1);
    XSync(x.get(), False);
}

// Text comes out as written whatever Shift or Caps Lock the macro holds;
// the held state is back afterwards.
TEST_F(Typing, HeldShiftAndCapsLockDoNotChangeTheText) {
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
    EXPECT_EQ(dialogs.log,
              (std::vector<std::string>{
                  "message Cannot type this text: \"{LEFT 4x}\": the repeat count must be "
                  "a whole number from 0 to 10000.",
                  "message Cannot type this text: \"+\" at character 3 repeats a "
                  "modifier before its key."}));
}

}  // namespace
}  // namespace keyloom::test
