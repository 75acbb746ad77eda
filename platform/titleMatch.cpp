#include "platform/titleMatch.h"

namespace keyloom::platform {

std::optional<std::size_t> matchTitle(const std::vector<std::string>& titles,
                                      const std::string& wanted, const CaseFold& fold) {
    if (wanted.empty()) return std::nullopt;
    for (std::size_t i = 0; i < titles.size(); ++i)
        if (titles[i] == wanted) return i;
    const std::string key = fold(wanted);
    std::vector<std::string> keys;
    keys.reserve(titles.size());
    for (const std::string& t : titles) keys.push_back(fold(t));
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (keys[i] == key) return i;
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (keys[i].compare(0, key.size(), key) == 0) return i;
    return std::nullopt;
}

}  // namespace keyloom::platform
