#include "ui/main/builder.h"

#include "ui/main/commandWords.h"

namespace keyloom::ui {

Composed composeEntry(std::string_view command, int position, std::string_view value) {
    Composed out{std::nullopt, std::string(value)};
    if (command.empty()) return out;
    // A pause or a block with no count given runs once.
    if ((command == "Wait" || command == "Repeat") && (value.empty() || value == " "))
        out.value = "1";
    if (position >= kFirstBareCommand)
        out.entry = std::string(command);
    else
        out.entry = std::string(command) + " >" + out.value;
    return out;
}

}  // namespace keyloom::ui
