// The title rule of SetFocus, the same on every desktop (each backend brings
// only its case folding, tested beside it).
#include "platform/titleMatch.h"

#include <gtest/gtest.h>

namespace keyloom::platform {
namespace {

std::string asciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

TEST(TitleMatch, ExactThenIgnoringCaseThenByBeginning) {
    const std::vector<std::string> titles = {"Untitled - Notepad", "untitled", "Untitled",
                                             "Calculator", "Terminal", ""};
    struct Case {
        std::string wanted;
        std::optional<std::size_t> index;
    };
    const std::vector<Case> cases = {
        {"Untitled", 2},            // exact beats an earlier case-insensitive match
        {"UNTITLED", 1},            // the first of the case-insensitive matches
        {"calc", 3},                // the beginning, ignoring case
        {"Calculator 2", std::nullopt},
        {"", std::nullopt},         // an empty title matches nothing, not even an untitled window
        {"Term ", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(matchTitle(titles, c.wanted, asciiLower), c.index) << c.wanted;
    EXPECT_EQ(matchTitle({}, "x", asciiLower), std::nullopt);
}

}  // namespace
}  // namespace keyloom::platform
