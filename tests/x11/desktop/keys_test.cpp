// Key commands played through the X11 desktop into a real window.
// gtest before Xlib, whose None macro it cannot take.
#include "x11Fixture.h"
#include "x11/support/rawInput.h"

#include <X11/keysym.h>

#include <algorithm>

namespace keyloom::test {
namespace {

struct KeyCase {
    const char* word;
    const char* key;  // keysym name of the key the window must receive
};

// Every key command word that taps a key, and the key it taps.
constexpr KeyCase kTaps[] = {
    {"Press_Tab", "Tab"},       {"Press_Enter", "Return"},  {"Press_BackSpace", "BackSpace"},
    {"Press_ESC", "Escape"},    {"Press_F1", "F1"},         {"Press_F2", "F2"},
    {"Press_F3", "F3"},         {"Press_F4", "F4"},         {"Press_F5", "F5"},
    {"Press_F6", "F6"},         {"Press_F7", "F7"},         {"Press_F8", "F8"},
    {"Press_F9", "F9"},         {"Press_F10", "F10"},       {"Press_F11", "F11"},
    {"Press_F12", "F12"},       {"Press_Home", "Home"},     {"Press_End", "End"},
    {"Press_Up", "Up"},         {"Press_Down", "Down"},     {"Press_Left", "Left"},
    {"Press_Right", "Right"},   {"Press_PageUp", "Prior"},  {"Press_PageDown", "Next"},
    {"Press_Ins", "Insert"},    {"Press_Del", "Delete"},    {"Press_Space", "space"},
    {"Press_Pause", "Pause"},   {"Press_Caps", "Caps_Lock"}, {"Press_NumLock", "Num_Lock"},
    {"Press_ScrollLock", "Scroll_Lock"},
};

TEST_F(X11ProbeTest, EachKeyWordTapsItsKeyInTheFocusedWindow) {
    for (const KeyCase& c : kTaps) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(playExpecting({c.word}, tapOf(c.key)), tapOf(c.key));
    }
}

// Window managers take Print for themselves (openbox runs a screenshot tool,
// or says it cannot): the server must still get the tap, and the window sees
// what the manager did not take.
TEST_F(X11ProbeTest, PrintScreenTapsPrintOnTheDesktop) {
    RawInputLog raw;
    ASSERT_TRUE(raw);
    const auto before = clientWindows(x.get());
    auto inWindow = describe(play({"Press_PrintScreen"}));
    std::vector<std::string> keys;
    for (const RawEvent& e : raw.take(2))
        if (e.key) keys.push_back(e.describe());
    const std::string print = std::to_string(keycode(XK_Print));
    EXPECT_EQ(keys, (std::vector<std::string>{"down key " + print, "up key " + print}));
    // All of the tap, or what the manager's grab left: nothing, or the
    // release when the grab ended before it.
    const std::vector<std::vector<std::string>> allowed = {{}, {"up Print"}, tapOf("Print")};
    EXPECT_NE(std::find(allowed.begin(), allowed.end(), inWindow), allowed.end())
        << ::testing::PrintToString(inWindow);
    // Whatever the key opened must not cover the next test's window.
    closeWindowsOpenedSince(x.get(), before, 1.0);
}

struct ModifierCase {
    const char* press;
    const char* release;
    const char* key;
    unsigned mask;
};

constexpr ModifierCase kModifiers[] = {
    {"Press_CTRL", "Release_CTRL", "Control_L", ControlMask},
    {"Press_Shift", "Release_Shift", "Shift_L", ShiftMask},
    {"Press_ALT", "Release_ALT", "Alt_L", Mod1Mask},
};

// A modifier pressed by one entry is down, as the window sees it, for exactly
// the entries up to its release.
TEST_F(X11ProbeTest, ModifierHeldAcrossEntriesReachesTheKeysBetween) {
    for (const ModifierCase& m : kModifiers) {
        SCOPED_TRACE(m.press);
        auto events = play({m.press, "SendText >c", m.release, "SendText >c"}, 6);
        EXPECT_EQ(describe(events), (std::vector<std::string>{
                                          std::string("down ") + m.key, "down c", "up c",
                                          std::string("up ") + m.key, "down c", "up c"}));
        if (events.size() != 6) continue;
        EXPECT_EQ(events[1].state & m.mask, m.mask) << events[1].line;
        EXPECT_EQ(events[2].state & m.mask, m.mask) << events[2].line;
        EXPECT_EQ(events[4].state & m.mask, 0U) << events[4].line;
        EXPECT_EQ(events[1].keycode, keycode(XK_c));
    }
}

TEST_F(X11ProbeTest, ControlWithALetterGivesThatLetterWithControlInTheState) {
    auto events = play({"Press_CTRL", "SendText >c", "Release_CTRL"}, 4);
    ASSERT_EQ(events.size(), 4U);
    EXPECT_EQ(events[1].kind, "KeyPress");
    EXPECT_EQ(events[1].name, "c");
    EXPECT_EQ(events[1].state, static_cast<unsigned>(ControlMask));
}

TEST_F(X11ProbeTest, HeldModifiersAreReleasedWhenTheRunEnds) {
    auto events = play({"Press_CTRL", "Press_Shift", "Press_ALT", "Press_Tab"}, 8);
    EXPECT_EQ(describe(events), (std::vector<std::string>{"down Control_L", "down Shift_L",
                                                          "down Alt_L", "down Tab", "up Tab",
                                                          "up Alt_L", "up Shift_L",
                                                          "up Control_L"}));
    EXPECT_TRUE(keysDown(x.get()).empty());
}

}  // namespace
}  // namespace keyloom::test
