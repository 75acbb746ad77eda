// Cutting entries into tokens, and finding the argument of a command.
#pragma once

#include <string_view>

namespace keyloom::parser {

// The first token of `line` (up to the first single space); `line` becomes
// what follows it. No copies, so an entry of many tokens is cut in linear time.
std::string_view nextToken(std::string_view& line);

// The argument rule: the text after the first ">", past a second ">" when the
// rest holds one, leading spaces dropped; the whole entry when it has no ">".
std::string_view argumentOf(std::string_view entry);

}  // namespace keyloom::parser
