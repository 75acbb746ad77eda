// Composing a macro entry from the builder's command and value fields.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace keyloom::ui {

struct Composed {
    std::optional<std::string> entry;  // nothing when no entry is made
    std::string value;                 // the value field afterwards ("1" filled in by default)
};

// `command` is the text of the command field, `position` the list position it
// was picked at (-1 when typed), `value` the value field.
Composed composeEntry(std::string_view command, int position, std::string_view value);

}  // namespace keyloom::ui
