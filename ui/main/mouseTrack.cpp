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
    view_.moveTo(corner.x, corner.y);
    view_.setLabel(readoutText(cursor));
    if (auto interval = pace_.tick(cursor)) view_.setTimerInterval(*interval);
}

}  // namespace keyloom::ui
