#include "engine/parser.h"

#include <gtest/gtest.h>

#include "engine/number.h"

namespace keyloom {
namespace {

// The argument follows the second marker when there is one, else the first;
// the blanks right after it are dropped.
TEST(ArgumentRule, TakesTextAfterTheMarkers) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"SendText >", ""},
        {"SendText >>>", ">"},
        {"SetFocus >Calc > Window", "Window"},
    };
    for (const auto& [entry, argument] : cases)
        EXPECT_EQ(parser::argumentOf(entry), argument) << '"' << entry << '"';
}

TEST(NumberConversion, Counts) {
    const std::vector<std::pair<std::string, std::optional<std::int32_t>>> cases = {
        {"2", 2},
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

}  // namespace
}  // namespace keyloom
