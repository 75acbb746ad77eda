// The tracker window's handlers, apart from the toolkit: a small window that
// follows the cursor 200 twips right of and below it, showing "x,y".
#pragma once

#include <string>

#include "platform/platform.h"
#include "ui/main/readout.h"

namespace keyloom::ui {

// 1/1440 inch: the unit of the offset.
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kTrackerOffsetTwips = 200;

class mouseTrackView {
public:
    virtual ~mouseTrackView() = default;
    // Screen pixels per inch, across and down.
    virtual double dotsPerInchX() const = 0;
    virtual double dotsPerInchY() const = 0;
    // Moves the window's top-left corner to this screen position.
    virtual void moveTo(int left, int top) = 0;
    virtual void setLabel(const std::string& text) = 0;
    // Timer1's interval in milliseconds.
    virtual void setTimerInterval(int ms) = 0;
};

class mouseTrack {
public:
    mouseTrack(mouseTrackView& view, platform::Desktop& desktop) : view_(view), desktop_(desktop) {}

    void Form_Load() { update(); }
    void Timer1_Timer() { update(); }

private:
    void update();

    mouseTrackView& view_;
    platform::Desktop& desktop_;
    ReadoutPace pace_;
};

// Where the window goes for a cursor at `cursor`: no clamping to the screen.
platform::Point trackerPosition(platform::Point cursor, double dpiX, double dpiY);

}  // namespace keyloom::ui
