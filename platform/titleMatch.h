// Which window a SetFocus title means: the first window whose title is the
// same, else the first whose title is the same ignoring letter case, else the
// first whose title begins with it ignoring letter case. An empty title
// matches nothing. The rule is the same on every desktop; each backend gives
// only its way of ignoring letter case.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace keyloom::platform {

// UTF-8 text as it compares without letter case.
using CaseFold = std::function<std::string(const std::string&)>;

// `titles` in order of preference (UTF-8); the index of the match.
std::optional<std::size_t> matchTitle(const std::vector<std::string>& titles,
                                      const std::string& wanted, const CaseFold& fold);

}  // namespace keyloom::platform
