#include "engine/parser.h"

#include <algorithm>

namespace keyloom::parser {
namespace {

char foldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::size_t findDelim(std::string_view text, std::string_view delim, int compare) {
    if (compare != kCompareIgnoreCase) return text.find(delim);
    auto it = std::search(text.begin(), text.end(), delim.begin(), delim.end(),
                          [](char a, char b) { return foldCase(a) == foldCase(b); });
    return it == text.end() ? std::string_view::npos
                            : static_cast<std::size_t>(it - text.begin());
}

}  // namespace

std::string beforeDelim(std::string_view text, std::string_view delim, int compare) {
    std::size_t p = findDelim(text, delim, compare);
    return std::string(p == std::string_view::npos ? text : text.substr(0, p));
}

std::string afterDelim(std::string_view text, std::string_view delim, int compare) {
    std::size_t p = findDelim(text, delim, compare);
    return std::string(p == std::string_view::npos ? text : text.substr(p + delim.size()));
}

std::string nextToken(std::string& line, std::string_view delim, int compare) {
    std::size_t p = findDelim(line, delim, compare);
    if (p == std::string::npos) {
        std::string token = std::move(line);
        line.clear();
        return token;
    }
    std::string token = line.substr(0, p);
    line.erase(0, p + delim.size());
    return token;
}

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
