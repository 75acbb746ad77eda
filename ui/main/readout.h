// The cursor position as the read-outs show it: "x,y", decimal, no blanks.
#pragma once

#include <string>

#include "platform/platform.h"

namespace keyloom::ui {

inline std::string readoutText(platform::Point p) {
    return std::to_string(p.x) + "," + std::to_string(p.y);
}

}  // namespace keyloom::ui
