// The parts of the X11 desktop's actions that need no display: how a SetFocus
// title compares without letter case, and which input devices inject synthetic keys.
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

// GLib's folding: letter case beyond ASCII, malformed bytes.
TEST(TitleMatch, LinuxFoldingCoversUnicodeAndMalformedTitles) {
    const std::vector<std::string> titles = {"bad \xFF\xFE title", "\xC3\x9Cn\xC3\xAF" "c\xC3\xB6" "d\xC3\xA9 Editor"};
    EXPECT_EQ(matchTitle(titles, "\xC3\xBCN\xC3\x8F" "C\xC3\x96" "D\xC3\x89 editor"), 1U);
    EXPECT_EQ(matchTitle(titles, "BAD \xFF\xFE"), 0U);
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
