#include "engine/parser.h"

#include <gtest/gtest.h>

#include "engine/number.h"

namespace keyloom {
namespace {

TEST(Tokenizer, CutsAtEverySingleSpace) {
    struct Case {
        std::string entry;
        std::vector<std::string> tokens;
    };
    const std::vector<Case> cases = {
        {"Press_Tab", {"Press_Tab"}},
        {"Wait >2", {"Wait", ">2"}},
        {" Press_Enter", {"", "Press_Enter"}},
        {"Press_Enter  Press_Tab", {"Press_Enter", "", "Press_Tab"}},
        {"Press_Enter ", {"Press_Enter"}},
        {"a\tb c", {"a\tb", "c"}},
        {"   ", {"", "", ""}},
        {"", {}},
    };
    for (const Case& c : cases) {
        std::string_view view = c.entry;
        std::vector<std::string> tokens;
        while (!view.empty()) tokens.emplace_back(parser::nextToken(view));
        EXPECT_EQ(tokens, c.tokens) << '"' << c.entry << '"';
    }
}

TEST(ArgumentRule, TakesTextAfterTheMarkers) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"SendText >hello world", "hello world"},
        {"SendText hello", "SendText hello"},
        {"SendText >", ""},
        {"SendText >   x  ", "x  "},
        {"SendText >a>b", "b"},
        {"SendText >>hello", "hello"},
        {"SendText >>>", ">"},
        {"Wait >2 Wait >3", "3"},
        {"SetFocus >Calc > Window", "Window"},
        {"", ""},
    };
    for (const auto& [entry, argument] : cases)
        EXPECT_EQ(parser::argumentOf(entry), argument) << '"' << entry << '"';
}

TEST(NumberConversion, Counts) {
    const std::vector<std::pair<std::string, std::optional<std::int32_t>>> cases = {
        {"2", 2},
        {" 2 ", 2},
        {"\t7", 7},
        {"+3", 3},
        {"-3", -3},
        {"2.5", 2},
        {"3.5", 4},
        {"-2.5", -2},
        {"2.5000001", 3},
        {"2.49999", 2},
        {"0.5", 0},
        {".5", 0},
        {".51", 1},
        {"5.", 5},
        {"007", 7},
        {"2147483647", 2147483647},
        {"2147483647.4", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"-2147483648.5", -2147483647 - 1},
        {"2147483647.5", std::nullopt},
        {"2147483648", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"abc", std::nullopt},
        {"2x", std::nullopt},
        {"1 000", std::nullopt},
        {"1,5", std::nullopt},
        {"1e3", std::nullopt},
        {".", std::nullopt},
        {"-", std::nullopt},
        {"+-1", std::nullopt},
        {"1.2.3", std::nullopt},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(toInt32(text), value) << '"' << text << '"';
}

TEST(NumberConversion, CoordinatesAreSixteenBit) {
    EXPECT_EQ(toInt16("32767"), 32767);
    EXPECT_EQ(toInt16("-32768"), -32768);
    EXPECT_EQ(toInt16("32767.5"), std::nullopt);
    EXPECT_EQ(toInt16("32768"), std::nullopt);
    EXPECT_EQ(toInt16(" 100 "), 100);
}

}  // namespace
}  // namespace keyloom
