#include "ui/editor/macroEditorFrame.h"

#include <algorithm>

#include <wx/filename.h>
#include <wx/font.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/statbox.h>
#include <wx/stdpaths.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "engine/engine.h"
#include "ui/common/keyloomIcon.h"
#include "ui/common/wxText.h"
#include "ui/main/commandWords.h"

namespace keyloom::ui {
namespace {

// Menu identifiers: the File items by index, the Edit items by index, and the
// recent files from kRecentBase + 1 on.
constexpr int kFileBase = wxID_HIGHEST + 100;
constexpr int kEditBase = wxID_HIGHEST + 120;
constexpr int kRecentBase = wxID_HIGHEST + 200;
constexpr int kRecentLimit = 10000;

// The design in twips; 15 twips are one pixel at 96 dots per inch.
struct Place {
    int left, top, width, height;
};
constexpr Place kClient{0, 0, 7050, 4275};
constexpr Place kTxtEdit{0, 0, 7095, 4289};
constexpr Place kFrame1{4800, 120, 1935, 3855};
constexpr Place kList1{4920, 360, 1695, 3375};

constexpr int pixels(int twips) { return (twips + 7) / 15; }

}  // namespace

macroEditorFrame::macroEditorFrame(Services& services)
    : wxFrame(nullptr, wxID_ANY, toWx(kAppTitle)),
      handlers_(*this, services.toolkit, services.state, services.files.mainList) {
    SetIcons(keyloomIcons());
    createMenus();
    createControls();
    bindEvents();
    Form_Load();
}

void macroEditorFrame::createMenus() {
    mnuFile = new wxMenu;
    mnuFile->Append(kFileBase + kNew, "&New");
    mnuFile->Append(kFileBase + kOpen, "&Open...");
    mnuFile->Append(kFileBase + kSaveAs, "Save &As...");
    mnuFile->Append(kFileBase + kClose, "&Close");
    mnuFile->AppendSeparator();
    mnuFile->Append(kFileBase + kExit, "E&xit");
    mnuEdit = new wxMenu;
    mnuEditItem.push_back(mnuEdit->Append(kEditBase + kCut, "Cu&t\tCtrl+X"));
    mnuEditItem.push_back(mnuEdit->Append(kEditBase + kCopy, "C&opy\tCtrl+C"));
    mnuEditItem.push_back(mnuEdit->Append(kEditBase + kPaste, "&Paste\tCtrl+V"));
    auto* bar = new wxMenuBar;
    bar->Append(mnuFile, "&File");
    bar->Append(mnuEdit, "&Edit");
    SetMenuBar(bar);
}

void macroEditorFrame::createControls() {
    panel_ = new wxPanel(this, wxID_ANY);
    auto pos = [this](const Place& p) { return FromDIP(wxPoint(pixels(p.left), pixels(p.top))); };
    auto size = [this](const Place& p) {
        return FromDIP(wxSize(pixels(p.width), pixels(p.height)));
    };
    // No wrapping: both scroll bars.
    txtEdit = new wxTextCtrl(panel_, wxID_ANY, wxEmptyString, pos(kTxtEdit), size(kTxtEdit),
                             wxTE_MULTILINE | wxTE_DONTWRAP | wxHSCROLL | wxTE_NOHIDESEL);
    txtEdit->SetName("txtEdit");
    txtEdit->SetFont(wxFont(wxFontInfo(12).Family(wxFONTFAMILY_SWISS).Bold()));
    // The palette, created after the text box so that it lies in front of it.
    Frame1 = new wxStaticBox(panel_, wxID_ANY, "Commands", pos(kFrame1), size(kFrame1));
    List1 = new wxListBox(panel_, wxID_ANY, pos(kList1), size(kList1), 0, nullptr, wxLB_SINGLE);
    Frame1->SetName("Frame1");
    List1->SetName("List1");
    Frame1->Raise();
    List1->Raise();
    SetClientSize(size(kClient));
#ifdef __WXMSW__
    // The panel has its size already there, and no size event follows.
    Form_Resize();
#endif
    txtEdit->SetFocus();
}

template <typename Handler>
void macroEditorFrame::run(Handler&& handler) {
    ++running_;
    handler();
    --running_;
    if (running_ == 0 && destroyPending_) wxFrame::Destroy();
}

void macroEditorFrame::bindEvents() {
    Bind(wxEVT_MENU, [this](wxCommandEvent& e) {
        int id = e.GetId();
        if (id >= kFileBase && id <= kFileBase + kExit)
            run([&] { handlers_.mnuFileItem_Click(id - kFileBase); });
        else if (id >= kEditBase && id <= kEditBase + kPaste)
            run([&] { handlers_.mnuEditItem_Click(id - kEditBase); });
        else if (id > kRecentBase && id <= kRecentBase + kRecentLimit)
            run([&] { handlers_.mnuFileArray_Click(id - kRecentBase); });
    });
    Bind(wxEVT_MENU_OPEN, [this](wxMenuEvent& e) {
        if (e.GetMenu() == mnuEdit) run([&] { handlers_.mnuEdit_Click(); });
        e.Skip();
    });
    List1->Bind(wxEVT_LISTBOX_DCLICK,
                [this](wxCommandEvent&) { run([&] { handlers_.List1_DblClick(List1->GetSelection()); }); });
    panel_->Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
        Form_Resize();
        e.Skip();
    });
    // The close box closes the editor and nothing else; the main window's
    // macro and a recording in progress are kept.
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Destroy(); });
}

void macroEditorFrame::Form_Load() {
    wxArrayString words;
    for (std::string_view w : kCommandWords) words.push_back(toWx(w));
    List1->Set(words);
    // Relative paths resolve from the program's own folder.
    wxSetWorkingDirectory(wxPathOnly(wxStandardPaths::Get().GetExecutablePath()));
    txtEdit->Move(0, 0);
    CentreOnScreen();
}

void macroEditorFrame::Form_Resize() {
    wxSize area = panel_->GetClientSize();
#ifdef __WXMSW__
    // Windows does not keep overlapping controls apart (the text box painted
    // over the palette): there the text box ends where the palette begins.
    area.x = std::min(area.x, Frame1->GetPosition().x - FromDIP(4));
#endif
    txtEdit->SetSize(area);
}

bool macroEditorFrame::Destroy() {
    if (running_ > 0) {
        destroyPending_ = true;
        Hide();
        return true;
    }
    return wxFrame::Destroy();
}

std::string macroEditorFrame::text() const { return fromWx(txtEdit->GetValue()); }

void macroEditorFrame::setText(const std::string& text) { txtEdit->ChangeValue(toWx(text)); }

void macroEditorFrame::appendText(const std::string& text) {
    long from = 0, to = 0;
    txtEdit->GetSelection(&from, &to);
    txtEdit->AppendText(toWx(text));
    txtEdit->SetSelection(from, to);
}

std::string macroEditorFrame::selectedText() const {
    return fromWx(txtEdit->GetStringSelection());
}

void macroEditorFrame::replaceSelection(const std::string& text) {
    // WriteText replaces the selection, or inserts at the caret.
    txtEdit->WriteText(toWx(text));
}

void macroEditorFrame::setCaption(const std::string& caption) { SetTitle(toWx(caption)); }

void macroEditorFrame::enableCutCopy(bool enabled) {
    mnuEditItem[kCut]->Enable(enabled);
    mnuEditItem[kCopy]->Enable(enabled);
}

void macroEditorFrame::showRecentSeparator() {
    if (recentSeparatorShown_) return;
    mnuFile->AppendSeparator();
    recentSeparatorShown_ = true;
}

void macroEditorFrame::addRecentItem(const std::string& fileName) {
    if (recentCount_ >= kRecentLimit) return;
    ++recentCount_;
    // A path is shown as it is: "&" would otherwise make an access key.
    wxString label = toWx(fileName);
    label.Replace("&", "&&");
    mnuFile->Append(kRecentBase + recentCount_, label);
}

void macroEditorFrame::unloadWindow() { Close(); }

}  // namespace keyloom::ui
