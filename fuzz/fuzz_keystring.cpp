// The key-string notation: any text either types keys with every modifier
// let go again, or is refused with a message and types nothing. Text without
// any sign of the notation types its characters as they are.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "actions/keyString.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    keyloom::KeyStringResult result = keyloom::parseKeyString(text);
    using Kind = keyloom::platform::KeyStroke::Kind;
    if (!result.error.empty()) {
        if (!result.strokes.empty()) __builtin_trap();
        if (result.error.rfind("Cannot type this text: ", 0) != 0) __builtin_trap();
        return 0;
    }
    if (result.strokes.size() > keyloom::kMaxStrokes) __builtin_trap();
    std::vector<std::uint8_t> held;
    for (const auto& stroke : result.strokes) {
        switch (stroke.kind) {
        case Kind::Char:
            if (stroke.ch > 0x10FFFF || (stroke.ch >= 0xD800 && stroke.ch <= 0xDFFF)) __builtin_trap();
            break;
        case Kind::Tap:
            if (stroke.vk == 0) __builtin_trap();
            break;
        case Kind::Press:
            for (std::uint8_t vk : held)
                if (vk == stroke.vk) __builtin_trap();  // pressed twice
            held.push_back(stroke.vk);
            break;
        case Kind::Release:
            // Modifiers are let go in the reverse order of their press.
            if (held.empty() || held.back() != stroke.vk) __builtin_trap();
            held.pop_back();
            break;
        }
    }
    if (!held.empty()) __builtin_trap();

    if (text.find_first_of("+^%~(){}") == std::string_view::npos) {
        // Each character one stroke; ASCII comes out byte for byte.
        if (result.strokes.size() > text.size()) __builtin_trap();
        bool ascii = true;
        for (char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        std::string typed;
        for (const auto& stroke : result.strokes) {
            if (stroke.kind != Kind::Char) __builtin_trap();
            if (stroke.ch < 0x80) typed += static_cast<char>(stroke.ch);
        }
        if (ascii && typed != text) __builtin_trap();
    }
    return 0;
}
