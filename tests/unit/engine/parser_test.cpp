// How an entry's argument is read: the numbers in it, the point of a
// MouseMove.
#include <gtest/gtest.h>

#include "actions/mEvents.h"
#include "engine/number.h"

namespace keyloom {
namespace {

TEST(NumberConversion, Counts) {
    const std::vector<std::pair<std::string, std::optional<std::int32_t>>> cases = {
        {" \t2 ", 2},
        {"+3", 3},
        {"-3", -3},
        {"2.5", 2},
        {"3.5", 4},
        {"-2.5", -2},
        {"2.5000001", 3},
        {"0.5", 0},
        {".51", 1},
        {"5.", 5},
        {"007", 7},
        {"2147483647.4", 2147483647},
        {"-2147483648.5", -2147483647 - 1},
        {"2147483647.5", std::nullopt},
        {"2147483648", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"1 000", std::nullopt},
        {"1e3", std::nullopt},
        {".", std::nullopt},
        {"+-1", std::nullopt},
        {"1.2.3", std::nullopt},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(toInt32(text), value) << '"' << text << '"';
}

// Coordinates are whole 16-bit numbers, rounded as counts are.
TEST(MouseMove, ParsesAsWritten) {
    const std::vector<std::pair<std::string, std::optional<platform::Point>>> cases = {
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

}  // namespace
}  // namespace keyloom
