#include "ui/main/mouseTrack.h"

#include <cmath>

#include "ui/main/readout.h"

namespace keyloom::ui {
namespace {

int offsetPixels(double dpi) {
    return static_cast<int>(std::lround(kTrackerOffsetTwips * dpi / kTwipsPerInch));
}

}  // namespace

platform::Point trackerPosition(platform::Point cursor, double dpiX, double dpiY) {
    return {cursor.x + offsetPixels(dpiX), cursor.y + offsetPixels(dpiY)};
}

void mouseTrack::update() {
    platform::Point cursor = desktop_.getCursorPos();
    platform::Point corner = trackerPosition(cursor, view_.dotsPerInchX(), view_.dotsPerInchY());
    // Where the cursor is unknown the tracker stays where the user puts it.
    if (desktop_.tellsCursorPosition()) view_.moveTo(corner.x, corner.y);
    view_.setLabel(readoutText(desktop_, cursor));
    if (auto interval = pace_.tick(cursor)) view_.setTimerInterval(*interval);
}

}  // namespace keyloom::ui
