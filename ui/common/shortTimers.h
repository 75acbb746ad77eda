// The one-shot timers that short waits run on: the main window's Timer3
// (10 ms) and Timer4 (1 ms). A short wait sets the interval, enables the
// timer, and lets events run until the timer's tick handler has disabled it.
#pragma once

namespace keyloom::ui {

class ShortTimers {
public:
    virtual ~ShortTimers() = default;
    // Sets the interval of the timer that serves `ms` and enables it.
    virtual void startShortTimer(int ms) = 0;
    // True until the tick handler of that timer has disabled it.
    virtual bool shortTimerRunning(int ms) const = 0;
};

}  // namespace keyloom::ui
