// Number arguments: decimal text, blanks around it allowed, a fraction going
// to the nearest whole number and an exact half to the even neighbour.
// Anything else, and a result outside the type's range, fails.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace keyloom {

std::optional<std::int32_t> toInt32(std::string_view text);  // counts
std::optional<std::int16_t> toInt16(std::string_view text);  // coordinates

}  // namespace keyloom
