// A label that is a window of its own, so that it gets mouse events and a
// tooltip (the native label does not), and repaints only when its text
// changes.
#pragma once

#include <wx/window.h>

namespace keyloom::ui {

class TextLabel : public wxWindow {
public:
    TextLabel(wxWindow* parent, wxWindowID id, const wxString& text, const wxPoint& pos,
              const wxSize& size);

    void SetLabel(const wxString& text) override;
    wxString GetLabel() const override { return text_; }
    bool AcceptsFocus() const override { return false; }

protected:
    wxSize DoGetBestClientSize() const override;

private:
    void onPaint(wxPaintEvent& event);

    wxString text_;
};

}  // namespace keyloom::ui
