// The cursor position as the read-outs show it: "x,y", decimal, no blanks.
#pragma once

#include <optional>
#include <string>

#include "platform/platform.h"

namespace keyloom::ui {

inline std::string readoutText(platform::Point p) {
    return std::to_string(p.x) + "," + std::to_string(p.y);
}

// How often a read-out looks at the cursor: every 10 ms while it moves (as
// often as the desktop's timers ever fired); once it has stood still for a
// second, every 50 ms until it moves again, so that a read-out left running
// costs next to nothing.
class ReadoutPace {
public:
    static constexpr int kMoving = 10;
    static constexpr int kStill = 50;
    static constexpr int kTicksToStill = 100;

    // After a tick that found the cursor at `p`: the new interval when it
    // changes, else nothing.
    std::optional<int> tick(platform::Point p) {
        if (p != last_) {
            last_ = p;
            still_ = 0;
            return change(kMoving);
        }
        return ++still_ >= kTicksToStill ? change(kStill) : std::nullopt;
    }
    int interval() const { return interval_; }

private:
    std::optional<int> change(int interval) {
        if (interval == interval_) return std::nullopt;
        interval_ = interval;
        return interval;
    }

    platform::Point last_;
    int still_ = 0;
    int interval_ = kMoving;
};

}  // namespace keyloom::ui
