// The list reader: any bytes give entries that hold no CR or LF and are never empty,
// and valid UTF-8 text comes through unchanged.
#include <cstdint>
#include <string>

#include "files/listReader.h"
#include "platform/codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string text = keyloom::decodeFileText(bytes);
    if (!keyloom::platform::isValidUtf8(text)) __builtin_trap();
    keyloom::LineList list = keyloom::LineList::split(text);
    std::size_t total = 0;
    for (keyloom::Index i = 0; i < list.count(); ++i) {
        std::string_view entry = list.view(i);
        if (entry.empty() || entry.find_first_of("\r\n") != std::string_view::npos) __builtin_trap();
        total += entry.size();
    }
    if (total > text.size()) __builtin_trap();
    return 0;
}
