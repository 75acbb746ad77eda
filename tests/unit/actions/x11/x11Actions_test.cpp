// The parts of the X11 desktop's actions that need no display: which window
// a SetFocus title means, and which input devices inject synthetic keys.
#include <gtest/gtest.h>

#include "platform/x11/x11StopKey.h"
#include "platform/linux/titleMatch.h"

namespace keyloom::platform {
namespace {

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
