// The Win32 desktop's input operations, checked by what a real window (the
// probe) receives under Windows or Wine.
#include <gtest/gtest.h>

#include "platform/win32/win32Desktop.h"
#include "probe.h"

namespace keyloom::test {
namespace {

using platform::Win32Desktop;

std::vector<std::string> keyLines(const Probe& probe) {
    return probe.linesAfterMark({"keydown", "keyup"});
}

class Input : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(probe.ready()) << "the probe window never got the focus";
        ASSERT_TRUE(settleCursor(5, 5));
        probe.mark();
    }

    Win32Desktop desktop;
    Probe probe{"Keyloom Input Probe"};
};

struct KeyCase {
    const char* name;
    std::uint8_t vk;
};

TEST_F(Input, KeybdEventTapsReachTheFocusedWindow) {
    const KeyCase keys[] = {{"Tab", 9},   {"Enter", 13},   {"Escape", 27}, {"F1", 112},
                            {"F12", 123}, {"Home", 36},    {"End", 35},    {"Left", 37},
                            {"Down", 40}, {"PageUp", 33},  {"Insert", 45}, {"Delete", 46},
                            {"Back", 8},  {"Space", 32},   {"A", 65},      {"7", 55}};
    for (const KeyCase& k : keys) {
        probe.mark();
        desktop.keybdEvent(k.vk, 0, platform::kKeyDown);
        desktop.keybdEvent(k.vk, 0, platform::kKeyUp);
        std::string v = std::to_string(k.vk);
        ASSERT_TRUE(probe.waitFor("keyup " + v + " -")) << k.name;
        EXPECT_EQ(keyLines(probe), (std::vector<std::string>{"keydown " + v + " -", "keyup " + v + " -"}))
            << k.name;
    }
}

TEST_F(Input, ModifiersHeldAcrossKeysApplyToThem) {
    desktop.keybdEvent(17, 0, platform::kKeyDown);  // Ctrl
    desktop.keybdEvent('C', 1, platform::kKeyDown);
    desktop.keybdEvent('C', 1, platform::kKeyUp);
    desktop.keybdEvent(17, 0, platform::kKeyUp);
    desktop.keybdEvent(16, 0, platform::kKeyDown);  // Shift
    desktop.keybdEvent('A', 0, platform::kKeyDown);
    desktop.keybdEvent('A', 0, platform::kKeyUp);
    desktop.keybdEvent(16, 0, platform::kKeyUp);
    ASSERT_TRUE(probe.waitFor("keyup 16 -"));
    EXPECT_EQ(keyLines(probe), (std::vector<std::string>{
                                   "keydown 17 ctrl", "keydown 67 ctrl", "keyup 67 ctrl",
                                   "keyup 17 -", "keydown 16 shift", "keydown 65 shift",
                                   "keyup 65 shift", "keyup 16 -"}));
    EXPECT_EQ(probe.linesAfterMark({"char"}),
              (std::vector<std::string>{"char U+0003", "char U+0041"}));  // Ctrl+C, then "A"
}

TEST_F(Input, AsyncKeyStateFollowsInjectedKeys) {
    desktop.keybdEvent(16, 0, platform::kKeyDown);
    EXPECT_LT(desktop.getAsyncKeyState(16), 0);
    desktop.keybdEvent(16, 0, platform::kKeyUp);
    EXPECT_GE(desktop.getAsyncKeyState(16), 0);
}

TEST_F(Input, CursorGoesWhereItIsPutAndButtonsClickThere) {
    desktop.setCursorPos(120, 210);
    EXPECT_EQ(desktop.getCursorPos(), (platform::Point{120, 210}));
    ASSERT_TRUE(settleCursor(120, 210));
    desktop.mouseEvent(platform::kLeftDown);
    desktop.mouseEvent(platform::kLeftUp);
    desktop.setCursorPos(300, 250);
    EXPECT_EQ(desktop.getCursorPos(), (platform::Point{300, 250}));
    ASSERT_TRUE(settleCursor(300, 250));
    desktop.mouseEvent(platform::kRightDown);
    desktop.mouseEvent(platform::kRightUp);
    EXPECT_TRUE(probe.waitFor("button right up 300 250"));
    EXPECT_EQ(probe.linesAfterMark({"button"}),
              (std::vector<std::string>{"button left down 120 210", "button left up 120 210",
                                        "button right down 300 250", "button right up 300 250"}));
}

TEST_F(Input, LeftIsThePrimaryButtonAlsoWhenTheButtonsAreSwapped) {
    EXPECT_EQ(desktop.swapMouseButton(1), 0);
    desktop.setCursorPos(200, 200);
    ASSERT_TRUE(settleCursor(200, 200));
    desktop.mouseEvent(platform::kLeftDown);
    desktop.mouseEvent(platform::kLeftUp);
    EXPECT_NE(desktop.swapMouseButton(0), 0);
    ASSERT_TRUE(probe.waitFor("button left up 200 200"));
    EXPECT_EQ(probe.linesAfterMark({"button"}),
              (std::vector<std::string>{"button left down 200 200", "button left up 200 200"}));
}

TEST_F(Input, LockKeyStateFollowsItsKey) {
    const platform::LockKey locks[] = {platform::LockKey::Caps, platform::LockKey::Num,
                                       platform::LockKey::Scroll};
    const std::uint8_t codes[] = {20, 144, 145};
    for (int i = 0; i < 3; ++i) {
        bool before = desktop.lockKeyOn(locks[i]);
        desktop.keybdEvent(codes[i], 0, platform::kKeyDown);
        desktop.keybdEvent(codes[i], 0, platform::kKeyUp);
        EXPECT_NE(desktop.lockKeyOn(locks[i]), before) << "lock " << i;
        desktop.keybdEvent(codes[i], 0, platform::kKeyDown);
        desktop.keybdEvent(codes[i], 0, platform::kKeyUp);
        EXPECT_EQ(desktop.lockKeyOn(locks[i]), before) << "lock " << i;
    }
}

TEST_F(Input, InjectedPauseIsNoStopKey) {
    desktop.keybdEvent(19, 0, platform::kKeyDown);
    desktop.keybdEvent(19, 0, platform::kKeyUp);
    ASSERT_TRUE(probe.waitFor("keyup 19 -"));
    EXPECT_FALSE(desktop.stopKeyPressed());
}

}  // namespace
}  // namespace keyloom::test
