#include "ui/main/builder.h"

#include "ui/main/commandWords.h"

namespace keyloom::ui {

Composed composeEntry(std::string_view command, int position, std::string_view value) {
    Composed out{std::nullopt, std::string(value)};
    if (command.empty()) return out;
    // A pause or a block with no count given runs once.
    if ((command == "Wait" || command == "Repeat") && (value.empty() || value == " "))
        out.value.assign(1, '1');
    std::string entry(command);
    if (position < kFirstBareCommand) entry.append(" >").append(out.value);
    out.entry = std::move(entry);
    return out;
}

}  // namespace keyloom::ui
