// Number conversion: any text either gives a whole number or nothing. A
// number keeps its value with blanks around it and when written back in
// decimal, and a coordinate (16-bit) is the same number as a count (32-bit)
// wherever both are in range.
#include <cstdint>
#include <limits>
#include <string>

#include "engine/number.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto count = keyloom::toInt32(text);
    const auto coordinate = keyloom::toInt16(text);
    if (count) {
        if (keyloom::toInt32(" " + text + "\t") != count) __builtin_trap();
        if (keyloom::toInt32(std::to_string(*count)) != count) __builtin_trap();
        if (*count >= std::numeric_limits<std::int16_t>::min() &&
            *count <= std::numeric_limits<std::int16_t>::max() && coordinate != *count)
            __builtin_trap();
    }
    if (coordinate && (!count || *count != *coordinate)) __builtin_trap();
    return 0;
}
