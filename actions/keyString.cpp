#include "actions/keyString.h"

namespace keyloom {
namespace {

// Decodes one UTF-8 sequence at `pos`, moving `pos` past it.
char32_t decodeAt(std::string_view text, std::size_t& pos) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char b0 = byte(pos);
    if (b0 < 0x80) {
        ++pos;
        return b0;
    }
    int extra = (b0 >> 5) == 0x6 ? 1 : (b0 >> 4) == 0xE ? 2 : (b0 >> 3) == 0x1E ? 3 : -1;
    if (extra < 0 || pos + static_cast<std::size_t>(extra) >= text.size()) {
        ++pos;
        return 0xFFFD;
    }
    char32_t cp = b0 & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
        unsigned char b = byte(pos + static_cast<std::size_t>(i));
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return 0xFFFD;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    pos += static_cast<std::size_t>(extra) + 1;
    return cp;
}

}  // namespace

char32_t decodeFirstCharacter(std::string_view text) {
    std::size_t pos = 0;
    return text.empty() ? U'\0' : decodeAt(text, pos);
}

KeyStringResult parseKeyString(std::string_view text) {
    KeyStringResult result;
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t ch = decodeAt(text, pos);
        result.strokes.push_back({platform::KeyStroke::Kind::Char, ch, 0});
    }
    return result;
}

}  // namespace keyloom
