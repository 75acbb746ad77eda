// The key-string notation: what each text types, and the texts it rejects.
#include "actions/keyString.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage.h"

namespace keyloom {
namespace {

using platform::KeyStroke;
using Kind = KeyStroke::Kind;

// Strokes written out: 'x' types x, tapN taps vk N, downN/upN press and
// release vk N.
std::string show(const std::vector<KeyStroke>& strokes) {
    std::string out;
    for (const KeyStroke& s : strokes) {
        if (!out.empty()) out += ' ';
        switch (s.kind) {
        case Kind::Char:
            out += '\'';
            platform::appendUtf8(out, s.ch);
            out += '\'';
            break;
        case Kind::Tap: out += "tap" + std::to_string(s.vk); break;
        case Kind::Press: out += "down" + std::to_string(s.vk); break;
        case Kind::Release: out += "up" + std::to_string(s.vk); break;
        }
    }
    return out;
}

TEST(KeyString, TypesWhatTheNotationSays) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        // Plain characters type themselves, letter case and blanks kept.
        {"Hi é", "'H' 'i' ' ' 'é'"},
        // Modifiers for the next key: letters and digits become their key.
        {"%F", "down18 tap70 up18"},
        {"+1", "down16 tap49 up16"},
        {"^-", "down17 '-' up17"},
        {"^+s", "down17 down16 tap83 up16 up17"},
        {"a+bc", "'a' down16 tap66 up16 'c'"},
        // A trailing modifier goes down and up without a key.
        {"x%", "'x' down18 up18"},
        // Groups.
        {"^(a%(b))", "down17 tap65 down18 tap66 up18 up17"},
        {"(ab)", "'a' 'b'"},
        // Enter.
        {"+~", "down16 tap13 up16"},
        // Literal specials in braces.
        {"^{+}", "down17 '+' up17"},
        {"{é}{a}", "'é' 'a'"},
        // Key names, any letter case.
        {"{ENTER}{enter}{Tab}", "tap13 tap13 tap9"},
        {"{F1}{F9}{F10}{F16}", "tap112 tap120 tap121 tap127"},
        // Repeats.
        {"{h 0}x", "'x'"},
        {"+{RIGHT 2}", "down16 tap39 tap39 up16"},
        {"+{h 2}", "down16 tap72 tap72 up16"},
        {"{} 2}{+ 2}", "'}' '}' '+' '+'"},
    };
    for (const auto& [text, expected] : cases) {
        KeyStringResult r = parseKeyString(text);
        EXPECT_EQ(r.error, "") << text;
        EXPECT_EQ(show(r.strokes), expected) << text;
    }
}

TEST(KeyString, RejectsWhatItCannotTypeAndNamesTheProblem) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"{}", "\"{\" at character 1 has no matching \"}\""},
        {"{LEFT 4x}", "\"{LEFT 4x}\": the repeat count must be a whole number from 0 to 10000"},
        {"{h 10001}", "\"{h 10001}\": the repeat count must be a whole number from 0 to 10000"},
        {"{LEFTY}", "\"{LEFTY}\" is not a key name"},
        {"{F17}", "\"{F17}\" is not a key name"},
        {"{F0}", "\"{F0}\" is not a key name"},
        {"ab)", "\")\" at character 3 has no matching \"(\""},
        {"+(ab", "\"(\" at character 2 has no matching \")\""},
        {"%(a%b)", "\"%\" at character 4 repeats a modifier before its key"},
        {"C++", "\"+\" at character 3 repeats a modifier before its key"},
        {"é{LEFT", "\"{\" at character 2 has no matching \"}\""},
    };
    for (const auto& [text, problem] : cases) {
        KeyStringResult r = parseKeyString(text);
        EXPECT_EQ(r.error, "Cannot type this text: " + problem + ".") << text;
        EXPECT_TRUE(r.strokes.empty()) << text;
    }
}

TEST(KeyString, CapsTheKeystrokesOfOneText) {
    EXPECT_EQ(parseKeyString("{x 10000}{LEFT 42}").strokes.size(), 10042U);
    std::string text;
    for (int i = 0; i < 101; ++i) text += "{x 10000}";
    KeyStringResult r = parseKeyString(text);
    EXPECT_EQ(r.error, "Cannot type this text: it makes more than 1000000 keystrokes.");
    EXPECT_TRUE(r.strokes.empty());
}

TEST(KeyString, MalformedUtf8TypesReplacementCharacters) {
    KeyStringResult r = parseKeyString(std::string("a\xC3") + "b\xFF");
    EXPECT_EQ(show(r.strokes), "'a' '\xEF\xBF\xBD' 'b' '\xEF\xBF\xBD'");
    EXPECT_EQ(decodeFirstCharacter("\xE2\x82\xAC!"), U'€');
    EXPECT_EQ(decodeFirstCharacter("\xE2\x82"), U'\uFFFD');
}

}  // namespace
}  // namespace keyloom
