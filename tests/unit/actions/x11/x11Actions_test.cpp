// The parts of the X11 desktop's actions that need no display: how a SetFocus
// title compares without letter case, and which input devices inject synthetic keys.
#include <gtest/gtest.h>

#include "platform/x11/x11StopKey.h"
#include "platform/linux/titleMatch.h"

namespace keyloom::platform {
namespace {

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
