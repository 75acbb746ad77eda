#include "engine/number.h"

#include <limits>

namespace keyloom {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The magnitude rounded half to even, or nothing when the text is no decimal
// number. Magnitudes beyond `limit` are reported as limit + 1.
std::optional<std::int64_t> roundedMagnitude(std::string_view digits, std::string_view fraction,
                                             std::int64_t limit) {
    std::int64_t value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
        if (value > limit) return limit + 1;
    }
    if (fraction.empty()) return value;
    char first = fraction.front();
    bool beyondHalf = false;
    for (char c : fraction.substr(1)) beyondHalf = beyondHalf || c != '0';
    bool up = first > '5' || (first == '5' && (beyondHalf || value % 2 == 1));
    return up ? value + 1 : value;
}

std::optional<std::int64_t> toWhole(std::string_view text, std::int64_t min, std::int64_t max) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::size_t point = text.find('.');
    std::string_view digits = text.substr(0, point);
    std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    if (digits.empty() && fraction.empty()) return std::nullopt;
    for (char c : digits)
        if (!isDigit(c)) return std::nullopt;
    for (char c : fraction)
        if (!isDigit(c)) return std::nullopt;
    // Leading zeros do not count towards the overflow limit.
    while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
    std::int64_t limit = negative ? -min : max;
    auto magnitude = roundedMagnitude(digits, fraction, limit);
    if (!magnitude || *magnitude > limit) return std::nullopt;
    return negative ? -*magnitude : *magnitude;
}

}  // namespace

std::optional<std::int32_t> toInt32(std::string_view text) {
    auto v = toWhole(text, std::numeric_limits<std::int32_t>::min(),
                     std::numeric_limits<std::int32_t>::max());
    if (!v) return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

std::optional<std::int16_t> toInt16(std::string_view text) {
    auto v = toWhole(text, std::numeric_limits<std::int16_t>::min(),
                     std::numeric_limits<std::int16_t>::max());
    if (!v) return std::nullopt;
    return static_cast<std::int16_t>(*v);
}

}  // namespace keyloom
