// The title rule of platform/titleMatch.h with GLib's case folding of UTF-8
// (malformed bytes made valid first, then folded and normalised).
#pragma once

#include "platform/titleMatch.h"

namespace keyloom::platform {

std::string foldTitle(const std::string& text);

inline std::optional<std::size_t> matchTitle(const std::vector<std::string>& titles,
                                             const std::string& wanted) {
    return matchTitle(titles, wanted, foldTitle);
}

}  // namespace keyloom::platform
