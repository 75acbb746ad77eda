// The parts of the X11 desktop's actions that need no display: which window
// a SetFocus title means, and which input devices inject synthetic keys.
#include <gtest/gtest.h>

#include "platform/x11/x11StopKey.h"
#include "platform/linux/evdevInput.h"
#include "platform/linux/titleMatch.h"
#include <linux/input-event-codes.h>

namespace keyloom::platform {
namespace {

// The keys the stop key and the recorder read from the input devices.
TEST(EvdevCodes, VirtualKeysAreTheirKeysOnAUsKeyboard) {
    const std::vector<std::pair<std::uint8_t, unsigned>> cases = {
        {0x01, BTN_LEFT}, {0x02, BTN_RIGHT}, {0x13, KEY_PAUSE}, {'A', KEY_A}, {'Z', KEY_Z},
        {'0', KEY_0},     {0x0D, KEY_ENTER}, {0x09, KEY_TAB},   {0x20, KEY_SPACE},
        {0x10, KEY_LEFTSHIFT}, {0x11, KEY_LEFTCTRL}, {0x70, KEY_F1}, {0x25, KEY_LEFT},
        {0x2E, KEY_DELETE}, {0x00, 0}};
    for (auto [vk, code] : cases) EXPECT_EQ(evdevCodeForVirtualKey(vk), code) << int(vk);
}

TEST(TitleMatch, ExactThenIgnoringCaseThenByBeginning) {
    const std::vector<std::string> titles = {
        "Untitled - Notepad", "untitled", "Untitled", "Calculator", "Ünïcödé Editor — file.txt",
        "Terminal"};
    struct Case {
        std::string wanted;
        std::optional<std::size_t> index;
    };
    const std::vector<Case> cases = {
        {"Untitled", 2},                    // exact beats an earlier case-insensitive match
        {"untitled", 1},
        {"UNTITLED", 1},                    // the first of the case-insensitive matches
        {"untitled - notepad", 0},
        {"calc", 3},                        // the beginning, ignoring case
        {"CALCULATOR", 3},
        {"ÜNÏCÖDÉ EDITOR", 4},              // letter case beyond ASCII
        {"ünïcödé editor — FILE.TXT", 4},
        {"Untitled -", 0},
        {"Notepad", std::nullopt},          // the middle of a title is no match
        {"Calculator 2", std::nullopt},
        {"", std::nullopt},                 // an empty title matches nothing
        {"Term ", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(matchTitle(titles, c.wanted), c.index) << c.wanted;
    EXPECT_EQ(matchTitle({}, "x"), std::nullopt);
    EXPECT_EQ(matchTitle({""}, ""), std::nullopt);
}

TEST(TitleMatch, MalformedTitlesNeitherCrashNorMatchWrongly) {
    const std::vector<std::string> titles = {"bad \xFF\xFE title", "Good"};
    EXPECT_EQ(matchTitle(titles, "good"), 1U);
    EXPECT_EQ(matchTitle(titles, "bad \xFF\xFE title"), 0U);
}

TEST(StopKeyDevices, OnlyXTestDevicesInject) {
    const std::vector<std::pair<std::string, bool>> devices = {
        {"Virtual core XTEST keyboard", true},
        {"Virtual core XTEST pointer", true},
        {"Second master XTEST keyboard", true},
        {"Xvfb keyboard", false},
        {"AT Translated Set 2 keyboard", false},
        {"Logitech USB Keyboard", false},
        {"Power Button", false},
    };
    for (const auto& [name, injecting] : devices) EXPECT_EQ(isInjectingDevice(name), injecting) << name;
}

}  // namespace
}  // namespace keyloom::platform
