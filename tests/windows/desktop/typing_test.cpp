// SendText through the engine and the Win32 desktop: what a real window types.
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "platform/consoleToolkit.h"
#include "platform/win32/win32Desktop.h"
#include "probe.h"

namespace keyloom::test {
namespace {

std::string charLines(const std::u32string& text) {
    std::string out;
    for (char32_t c : text) {
        char line[32];
        std::snprintf(line, sizeof line, "char U+%04lX\n", static_cast<unsigned long>(c));
        out += line;
    }
    return out;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

class Typing : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(probe.ready()) << "the probe window never got the focus"; }

    // Runs the entries as a macro and returns the characters the probe got,
    // once `last` (a character) has arrived.
    std::string play(std::vector<std::string> entries, char32_t last) {
        probe.mark();
        VectorList list(std::move(entries));
        RunState state;
        state.lastIndex = list.count();
        Engine engine(state, list, desktop, toolkit);
        engine.command2Click();
        char line[32];
        std::snprintf(line, sizeof line, "char U+%04lX", static_cast<unsigned long>(last));
        EXPECT_TRUE(probe.waitFor(line)) << "no " << line;
        return joined(probe.linesAfterMark({"char"}));
    }

    platform::Win32Desktop desktop;
    platform::ConsoleToolkit toolkit{std::cerr};
    Probe probe{"Keyloom Typing Probe"};
};

TEST_F(Typing, PlainTextArrivesAsWritten) {
    EXPECT_EQ(play({"SendText >Hello, World! 42 [x] a_b=c;d'e\"f"}, U'f'),
              charLines(U"Hello, World! 42 [x] a_b=c;d'e\"f"));
}

TEST_F(Typing, CharactersOffTheLayoutArriveAsUnicode) {
    EXPECT_EQ(play({"SendText >Grüße café ñ € 日本 😀."}, U'.'),
              charLines(U"Grüße café ñ € 日本 😀."));
}

TEST_F(Typing, NotationHoldsModifiersAndNamesKeys) {
    play({"SendText >+(ab)c{TAB}x^a%{F4}~end"}, U'd');
    std::vector<std::string> keys = probe.linesAfterMark({"keydown"});
    auto has = [&keys](const std::string& line) {
        return std::find(keys.begin(), keys.end(), line) != keys.end();
    };
    EXPECT_TRUE(has("keydown 65 shift"));  // +(ab)
    EXPECT_TRUE(has("keydown 66 shift"));
    EXPECT_TRUE(has("keydown 9 -"));       // {TAB}
    EXPECT_TRUE(has("keydown 65 ctrl"));   // ^a
    EXPECT_TRUE(has("keydown 115 alt"));   // %{F4}
    EXPECT_TRUE(has("keydown 13 -"));      // ~
    std::string chars = joined(probe.linesAfterMark({"char"}));
    EXPECT_EQ(chars.find(charLines(U"ABc")), 0u) << chars;
    EXPECT_NE(chars.find(charLines(U"end")), std::string::npos) << chars;
}

TEST_F(Typing, OneCharacterPressesItsKeyWithoutRelease) {
    play({"SendText >q", "SendText >zz"}, U'z');
    std::vector<std::string> keys = probe.linesAfterMark({"keydown 81", "keyup 81"});
    EXPECT_EQ(keys, (std::vector<std::string>{"keydown 81 -", "keyup 81 -"}))
        << "a one-character text taps the key of its upper-case letter";
}

TEST_F(Typing, NothingStaysHeldAfterAString) {
    play({"SendText >+(x{LEFT})^{HOME}%y"}, U'X');
    for (int vk : {16, 17, 18}) EXPECT_GE(desktop.getAsyncKeyState(vk), 0) << vk;
}

}  // namespace
}  // namespace keyloom::test
