#include "ui/main/aboutT.h"

#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "engine/engine.h"
#include "ui/common/keyloomIcon.h"
#include "ui/common/textLabel.h"
#include "ui/common/wxText.h"

#ifndef KEYLOOM_VERSION
#define KEYLOOM_VERSION "0"
#endif

namespace keyloom::ui {

aboutT::aboutT()
    : wxFrame(nullptr, wxID_ANY, "About " + toWx(kAppTitle), wxDefaultPosition, wxDefaultSize,
              wxDEFAULT_FRAME_STYLE & ~(wxRESIZE_BORDER | wxMAXIMIZE_BOX | wxMINIMIZE_BOX)) {
    SetName("aboutT");
    SetIcons(keyloomIcons());
    auto* panel = new wxPanel(this);
    auto* picture = new wxStaticBitmap(panel, wxID_ANY, keyloomBitmap(FromDIP(64)));
    auto* name = new wxStaticText(panel, wxID_ANY, toWx(kAppTitle));
    name->SetFont(name->GetFont().Bold().Scaled(1.4f));
    auto* version = new wxStaticText(panel, wxID_ANY, "Version " KEYLOOM_VERSION);
    auto* blurb = new wxStaticText(panel, wxID_ANY,
                                   "Builds, records and plays macros:\n"
                                   "keys, text, mouse clicks and waits,\n"
                                   "played into the focused window.");
    auto* okay = new TextLabel(panel, wxID_ANY, kOkayCaption, wxDefaultPosition, wxDefaultSize);
    okay->SetName("okay");
    okay->SetFont(okay->GetFont().Bold());
    okay->SetForegroundColour(wxColour(0, 70, 160));
    okay->SetCursor(wxCursor(wxCURSOR_HAND));
    okay->SetMinSize(okay->GetTextExtent(kOkayHoverCaption));

    okay->Bind(wxEVT_ENTER_WINDOW, [okay](wxMouseEvent&) { okay->SetLabel(kOkayHoverCaption); });
    okay->Bind(wxEVT_LEAVE_WINDOW, [okay](wxMouseEvent&) { okay->SetLabel(kOkayCaption); });
    okay->Bind(wxEVT_LEFT_UP, [this](wxMouseEvent&) { Close(); });

    auto* text = new wxBoxSizer(wxVERTICAL);
    text->Add(name);
    text->Add(version, 0, wxTOP, FromDIP(4));
    text->Add(blurb, 0, wxTOP, FromDIP(10));
    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(picture, 0, wxRIGHT, FromDIP(14));
    top->Add(text, 1);
    auto* all = new wxBoxSizer(wxVERTICAL);
    all->Add(top, 0, wxALL, FromDIP(14));
    all->Add(okay, 0, wxALIGN_RIGHT | wxRIGHT | wxBOTTOM, FromDIP(14));
    panel->SetSizer(all);
    auto* frame = new wxBoxSizer(wxVERTICAL);
    frame->Add(panel, 1, wxEXPAND);
    SetSizerAndFit(frame);
    Centre();
}

}  // namespace keyloom::ui
