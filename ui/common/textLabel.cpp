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
    // which GTK has drawn already; Windows leaves the previous text there,
    // so it is painted over with the parent's colour.
    if (UseBgCol()) {
        dc.SetBackground(wxBrush(GetBackgroundColour()));
        dc.Clear();
    }
#ifdef __WXMSW__
    // Only the band of the text: the design lets labels overlap the edge of
    // the control below them.
    else if (GetParent() != nullptr) {
        dc.SetFont(GetFont());
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(wxBrush(GetParent()->GetBackgroundColour()));
        dc.DrawRectangle(0, 0, GetClientSize().x, dc.GetCharHeight());
    }
#endif
    dc.SetFont(GetFont());
    dc.SetTextForeground(GetForegroundColour());
    dc.DrawText(text_, 0, 0);
}

}  // namespace keyloom::ui
