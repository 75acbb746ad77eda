// The player's message boxes, the same on every platform: one line each on
// the message stream, where a terminal shows them as they are.
#include <ostream>

#include "platform/consoleToolkit.h"

namespace keyloom::platform {

MessageAnswer ConsoleToolkit::messageBox(const std::string& text, const std::string&,
                                         MessageStyle style) {
    // The box's lines, joined by spaces: a raw CR would send the cursor back
    // over what was printed.
    std::string line = messagePrefix ? messagePrefix() : std::string();
    bool lineBreak = false;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            lineBreak = true;
            continue;
        }
        if (lineBreak && !line.empty() && line.back() != ' ') line += ' ';
        lineBreak = false;
        line += c;
    }
    messages_ << line;
    if (style == MessageStyle::YesNoQuestion) {
        messages_ << " [answered No]" << std::endl;
        return MessageAnswer::No;
    }
    messages_ << std::endl;
    return MessageAnswer::Ok;
}

}  // namespace keyloom::platform
