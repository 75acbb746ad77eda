// The cursor position as the read-outs show it: "x,y", decimal, no blanks.
#pragma once

#include <optional>
#include <string>

#include "platform/platform.h"

namespace keyloom::ui {

inline std::string readoutText(platform::Point p) {
    return std::to_string(p.x) + "," + std::to_string(p.y);
}

// The read-out of a desktop that does not tell where the cursor is.
inline constexpr const char* kNoPosition = "\u2013";

inline std::string readoutText(platform::Desktop& desktop, platform::Point p) {
    return desktop.tellsCursorPosition() ? readoutText(p) : kNoPosition;
}

// How often a read-out looks at the cursor: every 10 ms while it moves (as
// often as the desktop's timers ever fired); once it has stood still for a
// second, every 50 ms, and after ten seconds every 100 ms, until it moves
// again; so a read-out left running costs next to nothing, and one that was
// in use a moment ago still answers the next movement at once.
class ReadoutPace {
public:
    static constexpr int kMoving = 10;
    static constexpr int kStill = 50;
    static constexpr int kResting = 100;
    static constexpr int kStillAfterMs = 1000;
    static constexpr int kRestingAfterMs = 10000;

    // After a tick that found the cursor at `p`: the new interval when it
    // changes, else nothing.
    std::optional<int> tick(platform::Point p) {
        if (p != last_) {
            last_ = p;
            stillMs_ = 0;
            return change(kMoving);
        }
        if (stillMs_ < kRestingAfterMs) stillMs_ += interval_;
        return change(stillMs_ >= kRestingAfterMs ? kResting
                      : stillMs_ >= kStillAfterMs ? kStill
                                                  : kMoving);
    }
    int interval() const { return interval_; }

private:
    std::optional<int> change(int interval) {
        if (interval == interval_) return std::nullopt;
        interval_ = interval;
        return interval;
    }

    platform::Point last_;
    int stillMs_ = 0;
    int interval_ = kMoving;
};

}  // namespace keyloom::ui
