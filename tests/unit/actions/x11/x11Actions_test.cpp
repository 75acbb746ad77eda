// The parts of the X11 desktop's actions that need no display: which window a
// SetFocus title means, and which input devices inject synthetic keys.
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

// The title rule of SetFocus, the same on every desktop, with GLib's folding
// (letter case beyond ASCII, malformed bytes).
TEST(TitleMatch, ExactThenIgnoringCaseThenByBeginning) {
    const std::vector<std::string> titles = {"Untitled - Notepad", "untitled",      "Untitled",
                                             "Calculator",         "Terminal",      "",
                                             "bad \xFF\xFE title", "Ünïcödé Editor"};
    const std::vector<std::pair<std::string, std::optional<std::size_t>>> cases = {
        {"Untitled", 2},  // exact beats an earlier case-insensitive match
        {"UNTITLED", 1},  // the first of the case-insensitive matches
        {"calc", 3},      // the beginning, ignoring case
        {"Calculator 2", std::nullopt},
        {"", std::nullopt},  // an empty title matches nothing, not even an untitled window
        {"Term ", std::nullopt},
        {"üNÏCÖDÉ editor", 7},
        {"BAD \xFF\xFE", 6},
    };
    for (const auto& [wanted, index] : cases)
        EXPECT_EQ(matchTitle(titles, wanted), index) << wanted;
}

TEST(StopKeyDevices, OnlyXTestDevicesInject) {
    const std::vector<std::pair<std::string, bool>> devices = {
        {"Virtual core XTEST keyboard", true},
        {"Virtual core XTEST pointer", true},
        {"Xvfb keyboard", false},
        {"AT Translated Set 2 keyboard", false},
    };
    for (const auto& [name, injecting] : devices) EXPECT_EQ(isInjectingDevice(name), injecting) << name;
}

}  // namespace
}  // namespace keyloom::platform
