#include "ui/common/textLabel.h"

#include <wx/dcclient.h>

namespace keyloom::ui {

TextLabel::TextLabel(wxWindow* parent, wxWindowID id, const wxString& text, const wxPoint& pos,
                     const wxSize& size)
    : wxWindow(parent, id, pos, size, wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE), text_(text) {
    Bind(wxEVT_PAINT, &TextLabel::onPaint, this);
}

void TextLabel::SetLabel(const wxString& text) {
    if (text == text_) return;
    text_ = text;
    Refresh(false);
}

wxSize TextLabel::DoGetBestClientSize() const { return GetTextExtent(text_); }

void TextLabel::onPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    // Without a colour of its own the label shows its parent's background,
    // which the toolkit has drawn already.
    if (UseBgCol()) {
        dc.SetBackground(wxBrush(GetBackgroundColour()));
        dc.Clear();
    }
    dc.SetFont(GetFont());
    dc.SetTextForeground(GetForegroundColour());
    dc.DrawText(text_, 0, 0);
}

}  // namespace keyloom::ui
