#include "engine/parser.h"

namespace keyloom::parser {

std::string_view nextToken(std::string_view& line) {
    std::size_t p = line.find(' ');
    std::string_view token = line.substr(0, p);
    line = p == std::string_view::npos ? std::string_view{} : line.substr(p + 1);
    return token;
}

std::string_view argumentOf(std::string_view entry) {
    std::size_t g = entry.find('>');
    std::string_view rest = g == std::string_view::npos ? entry : entry.substr(g + 1);
    std::size_t q = rest.find('>');
    std::size_t start = q == std::string_view::npos ? 0 : q + 1;
    while (start < rest.size() && rest[start] == ' ') ++start;
    return rest.substr(start);
}

}  // namespace keyloom::parser
