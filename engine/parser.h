// Cutting entries into tokens, and finding the argument of a command.
#pragma once

#include <string>
#include <string_view>

namespace keyloom::parser {

// Compare modes for the delimiter search.
inline constexpr int kCompareExact = 0;
inline constexpr int kCompareIgnoreCase = 1;

// The part of `text` before the first `delim`; all of `text` when there is none.
std::string beforeDelim(std::string_view text, std::string_view delim, int compare);
// The part of `text` after the first `delim`; all of `text` when there is none.
std::string afterDelim(std::string_view text, std::string_view delim, int compare);
// The first token of `line`; `line` becomes what follows the token.
std::string nextToken(std::string& line, std::string_view delim, int compare);

// The runner's form of nextToken with the single-space delimiter: no copies,
// so an entry of many tokens is cut in linear time.
std::string_view nextToken(std::string_view& line);

// The argument rule: the text after the first ">", past a second ">" when the
// rest holds one, leading spaces dropped; the whole entry when it has no ">".
std::string_view argumentOf(std::string_view entry);

}  // namespace keyloom::parser
