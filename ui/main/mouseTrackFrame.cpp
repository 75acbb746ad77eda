#include "ui/main/mouseTrackFrame.h"

#include "ui/common/textLabel.h"
#include "ui/common/wxText.h"

namespace keyloom::ui {
namespace {

const wxColour kLightYellow(255, 255, 192);

}  // namespace

mouseTrackFrame::mouseTrackFrame(platform::Desktop& desktop)
    : wxFrame(nullptr, wxID_ANY, "Form1", wxDefaultPosition, wxDefaultSize,
              wxFRAME_TOOL_WINDOW | wxFRAME_NO_TASKBAR | wxSTAY_ON_TOP | wxBORDER_NONE),
      handlers_(*this, desktop) {
    SetName("mouseTrack");
    SetBackgroundColour(kLightYellow);
    SetFont(wxFont(wxFontInfo(7).Family(wxFONTFAMILY_SWISS)));
    Label1 = new TextLabel(this, wxID_ANY, "0,0", wxPoint(0, 0), FromDIP(wxSize(41, 17)));
    Label1->SetName("Label1");
    Label1->SetBackgroundColour(kLightYellow);
    Label1->SetForegroundColour(*wxBLACK);
    SetClientSize(FromDIP(wxSize(46, 14)));
    Timer1.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { handlers_.Timer1_Timer(); });
    handlers_.Form_Load();
    Timer1.Start(ReadoutPace::kMoving);
}

double mouseTrackFrame::dotsPerInchX() const { return GetDPI().x > 0 ? GetDPI().x : 96.0; }

double mouseTrackFrame::dotsPerInchY() const { return GetDPI().y > 0 ? GetDPI().y : 96.0; }

void mouseTrackFrame::moveTo(int left, int top) {
    if (GetPosition() != wxPoint(left, top)) Move(left, top);
}

void mouseTrackFrame::setLabel(const std::string& text) { Label1->SetLabel(toWx(text)); }

void mouseTrackFrame::setTimerInterval(int ms) { Timer1.Start(ms); }

}  // namespace keyloom::ui
