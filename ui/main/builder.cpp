#include "ui/main/builder.h"

#include "engine/vocabulary.h"
#include "ui/main/commandWords.h"

namespace keyloom::ui {

Composed composeEntry(std::string_view command, int position, std::string_view value) {
    Composed out{std::nullopt, std::string(value)};
    if (command.empty()) return out;
    // A pause or a block with no count given runs once.
    const std::string_view kWait = vocabulary::wordOf(waitsNLoops::wait);
    const std::string_view kRepeat = vocabulary::wordOf(waitsNLoops::repeat);
    const bool counted = command == kWait || command == kRepeat;
    if (counted && (value.empty() || value == " ")) out.value.assign(1, '1');
    out.entry = position < kFirstBareCommand ? vocabulary::withValue(command, out.value)
                                             : std::string(command);
    return out;
}

}  // namespace keyloom::ui
