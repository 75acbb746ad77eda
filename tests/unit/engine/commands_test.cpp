// The MouseMove argument: the point it names, and an entry that names none.
#include <gtest/gtest.h>

#include "actions/mEvents.h"
#include "support/harness.h"

namespace keyloom::test {
namespace {

using Lines = std::vector<std::string>;

// Coordinates are whole 16-bit numbers, rounded as counts are.
TEST(MouseMove, ParsesAsWritten) {
    const std::vector<std::pair<std::string, std::optional<platform::Point>>> cases = {
        {"100,200", platform::Point{100, 200}},
        {"100,   200", platform::Point{100, 200}},
        {" 100 ,200 ", platform::Point{100, 200}},
        {"10,20,30", platform::Point{10, 30}},
        {"-5,-7", platform::Point{-5, -7}},
        {"10.5,11.5", platform::Point{10, 12}},
        {"32767,-32768", platform::Point{32767, -32768}},
        {"100", std::nullopt},
        {"", std::nullopt},
        {",200", std::nullopt},
        {"100,", std::nullopt},
        {"100,200 LClick", std::nullopt},
        {"32768,1", std::nullopt},
        {"1,32767.5", std::nullopt},
        {"x,y", std::nullopt},
    };
    for (const auto& [arg, point] : cases)
        EXPECT_EQ(mEvents::parseMouseMove(arg), point) << '"' << arg << '"';
}

TEST(MouseMove, BadArgumentIsSkippedWithAWarning) {
    Harness h({"Press_Tab", "MouseMove >100", "MouseMove >3,4"});
    std::vector<std::string> warnings;
    h.engine.warn = [&](const std::string& w) { warnings.push_back(w); };
    EXPECT_EQ(h.run(), concat({tap(9), {"move 3 4"}}));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("entry 2"), std::string::npos);
}

}  // namespace
}  // namespace keyloom::test
