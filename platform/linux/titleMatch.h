// Which window a SetFocus title means: the first window whose title is the
// same, else the first whose title is the same ignoring letter case, else the
// first whose title begins with it ignoring letter case. An empty title
// matches nothing.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace keyloom::platform {

// `titles` in order of preference (UTF-8); the index of the match.
std::optional<std::size_t> matchTitle(const std::vector<std::string>& titles,
                                      const std::string& wanted);

}  // namespace keyloom::platform
