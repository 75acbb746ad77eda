// The command list of the builder (and of the editor's palette): 60 words in
// a fixed order. The first eight take a value, written after " >".
#pragma once

#include <array>
#include <string_view>

#include "engine/vocabulary.h"

namespace keyloom::ui {

inline constexpr auto kCommandWords = [] {
    std::array<std::string_view, 60> words{};
    for (const CommandWord& w : vocabulary::kWords)
        if (w.place != kNotOffered) words.at(static_cast<std::size_t>(w.place)) = w.word;
    return words;
}();

// Positions from here on take no value.
inline constexpr int kFirstBareCommand = 8;

static_assert(std::ranges::none_of(vocabulary::kWords, [](const CommandWord& w) {
                  return w.place != kNotOffered && w.takesValue != (w.place < kFirstBareCommand);
              }),
              "the words that take a value come first");
static_assert(std::ranges::count(kCommandWords, std::string_view{}) == 0, "every place is taken");

}  // namespace keyloom::ui
