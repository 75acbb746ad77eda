#include "platform/linux/titleMatch.h"

#include <glib.h>

#include <memory>

namespace keyloom::platform {
namespace {

// UTF-8 text folded for comparison without letter case.
std::string folded(const std::string& text) {
    std::unique_ptr<gchar, decltype(&g_free)> valid(g_utf8_make_valid(text.c_str(), -1), g_free);
    std::unique_ptr<gchar, decltype(&g_free)> fold(g_utf8_casefold(valid.get(), -1), g_free);
    std::unique_ptr<gchar, decltype(&g_free)> norm(
        g_utf8_normalize(fold.get(), -1, G_NORMALIZE_ALL_COMPOSE), g_free);
    return norm ? std::string(norm.get()) : std::string(fold.get());
}

}  // namespace

std::optional<std::size_t> matchTitle(const std::vector<std::string>& titles,
                                      const std::string& wanted) {
    if (wanted.empty()) return std::nullopt;
    for (std::size_t i = 0; i < titles.size(); ++i)
        if (titles[i] == wanted) return i;
    const std::string key = folded(wanted);
    std::vector<std::string> keys;
    keys.reserve(titles.size());
    for (const std::string& t : titles) keys.push_back(folded(t));
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (keys[i] == key) return i;
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (keys[i].compare(0, key.size(), key) == 0) return i;
    return std::nullopt;
}

}  // namespace keyloom::platform
