// The tracker window on wxWidgets: a small light-yellow window without a
// frame that follows the cursor, stays above other windows and never takes
// the focus.
#pragma once

#include <wx/frame.h>
#include <wx/timer.h>

#include "ui/main/mouseTrack.h"

namespace keyloom::ui {

class TextLabel;

class mouseTrackFrame final : public wxFrame, public mouseTrackView {
public:
    explicit mouseTrackFrame(platform::Desktop& desktop);

    double dotsPerInchX() const override;
    double dotsPerInchY() const override;
    void moveTo(int left, int top) override;
    void setLabel(const std::string& text) override;
    void setTimerInterval(int ms) override;

private:
    TextLabel* Label1 = nullptr;
    wxTimer Timer1;
    mouseTrack handlers_;
};

}  // namespace keyloom::ui
