#include "ui/main/tKeyloomFrame.h"

#include <wx/app.h>
#include <wx/arrstr.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/progdlg.h>
#include <wx/statbmp.h>
#include <wx/textctrl.h>

#include <utility>

#include "platform/nativeLook.h"
#include "ui/common/keyloomIcon.h"
#include "ui/common/textLabel.h"
#include "ui/common/wxText.h"
#include "ui/common/wxToolkit.h"
#include "ui/main/commandWords.h"
#include "ui/main/entryList.h"

namespace keyloom::ui {
namespace {

// The read-out runs for the whole life of the window, at the pace of
// ReadoutPace.
constexpr int kReadoutInterval = ReadoutPace::kMoving;

enum MenuId {
    idLoad = wxID_HIGHEST + 1,
    idClear,
    idExit,
    idEdit,
    idRecord,
    idHelp,
    idAbout,
};

// A control's place in the design: left, top, width, height at 96 dpi.
struct Place {
    int left, top, width, height;
};

constexpr Place kList1{8, 0, 137, 160};
constexpr Place kLabel1{8, 160, 89, 17};
constexpr Place kCombo1{8, 176, 137, 21};
constexpr Place kLabel2{8, 200, 89, 17};
constexpr Place kText1{8, 216, 137, 19};
constexpr Place kAdd{8, 240, 49, 17};
constexpr Place kInsert{56, 240, 49, 17};
constexpr Place kDelete{104, 240, 49, 17};
constexpr Place kSave{152, 240, 49, 17};
constexpr Place kRun{152, 16, 49, 49};
constexpr Place kStop{152, 72, 49, 113};
constexpr Place kReadout{152, 0, 49, 17};
constexpr Place kPicture{160, 200, 41, 33};
constexpr int kClientWidth = 205, kClientHeight = 260;

}  // namespace

tKeyloomFrame::tKeyloomFrame(RunState& state, platform::Desktop& desktop, WxToolkit& toolkit,
                             Windows& windows)
    : wxFrame(nullptr, wxID_ANY, toWx(kAppTitle), wxDefaultPosition, wxDefaultSize,
              wxDEFAULT_FRAME_STYLE & ~(wxRESIZE_BORDER | wxMAXIMIZE_BOX)),
      state_(state),
      toolkit_(toolkit),
      handlers_(*this, state, desktop, toolkit, windows) {
    SetName("tKeyloom");
    // The pictures can follow once the window is built and shown: the window
    // manager's icon and the picture in the window.
    CallAfter([this] {
        SetIcons(keyloomIcons());
        Picture1->SetBitmap(keyloomBitmap(FromDIP(32)));
    });
    createMenus();
    createControls();
    bindEvents();
    SetClientSize(FromDIP(wxSize(kClientWidth, kClientHeight)));
    toolkit_.setShortTimers(&handlers_);
    toolkit_.setDialogParent(this);
    setTimerInterval(MainTimer::Timer1, kReadoutInterval);
    enableTimer(MainTimer::Timer1, true);
}

tKeyloomFrame::~tKeyloomFrame() {
    for (Timer& t : timers_) t.timer.Stop();
    toolkit_.setShortTimers(nullptr);
    toolkit_.setDialogParent(nullptr);
    // Nothing outlives the main window.
    if (wxTheApp != nullptr) wxTheApp->ExitMainLoop();
}

void tKeyloomFrame::createMenus() {
    auto* file = new wxMenu;
    file->Append(idLoad, "&Load");
    file->Append(idClear, "&Clear");
    file->AppendSeparator();
    file->Append(idExit, "E&xit");
    auto* build = new wxMenu;
    build->Append(idEdit, "&Edit");
    build->Append(idRecord, "&Record");
    auto* help = new wxMenu;
    help->Append(idHelp, "&Macro Help");
    help->Append(idAbout, "&About");
    auto* bar = new wxMenuBar;
    bar->Append(file, "&File");
    bar->Append(build, "&Build");
    bar->Append(help, "&Help");
    SetMenuBar(bar);
}

void tKeyloomFrame::createControls() {
    auto* panel = new wxPanel(this, wxID_ANY);
    // The design's small type: every caption fits its control, and the
    // read-out holds a position on the largest screens.
    // The desktop's font read straight from its settings: asking a control
    // for its default font would build throwaway widgets to find it.
    const std::string desktopFont = platform::desktopFont();
    wxFont small = desktopFont.empty() ? wxNullFont : wxFont(toWx(desktopFont));
    if (!small.IsOk()) small = panel->GetFont();
    small.SetPointSize(8);
    panel->SetFont(small);
    platform::addStyleClass(panel->GetHandle(), platform::kCompactStyle);
    auto pos = [this](const Place& p) { return FromDIP(wxPoint(p.left, p.top)); };
    auto size = [this](const Place& p) { return FromDIP(wxSize(p.width, p.height)); };
    auto button = [&](const Place& p, const char* caption) {
        auto* b = new wxButton(panel, wxID_ANY, caption, pos(p), size(p), wxBU_EXACTFIT);
        b->SetMinSize(size(p));
        return b;
    };
    // Created in tab order.
    Combo1 = new wxComboBox(panel, wxID_ANY, wxEmptyString, pos(kCombo1), size(kCombo1), 0,
                            nullptr, wxCB_DROPDOWN);
    List1 = new EntryList(panel, pos(kList1), size(kList1));
    Text1 = new wxTextCtrl(panel, wxID_ANY, wxEmptyString, pos(kText1), size(kText1));
    Command1 = button(kStop, "Stop");
    Command2 = button(kRun, "Run");
    add2List = button(kAdd, "Add");
    insert = button(kInsert, "Insert");
    Save = button(kSave, "Save");
    deleteButton = button(kDelete, "Delete");
    Label1 = new TextLabel(panel, wxID_ANY, "Command", pos(kLabel1), size(kLabel1));
    Label2 = new TextLabel(panel, wxID_ANY, "Value", pos(kLabel2), size(kLabel2));
    mouseLocation = new TextLabel(panel, wxID_ANY, "0,0", pos(kReadout), size(kReadout));
    Picture1 = new wxStaticBitmap(panel, wxID_ANY, wxNullBitmap, pos(kPicture), size(kPicture));
    // Each control answers to its name, as in the design.
    const std::pair<wxWindow*, const char*> names[] = {
        {Combo1, "Combo1"},     {List1, "List1"},      {Text1, "Text1"},
        {Command1, "Command1"}, {Command2, "Command2"}, {add2List, "add2List"},
        {insert, "insert"},     {Save, "Save"},         {deleteButton, "deleteButton"},
        {Label1, "Label1"},     {Label2, "Label2"},     {mouseLocation, "mouseLocation"},
        {Picture1, "Picture1"},
    };
    for (const auto& [control, name] : names) control->SetName(name);
}

void tKeyloomFrame::bindEvents() {
    auto onButton = [this](wxButton* b, void (tKeyloom::*handler)()) {
        b->Bind(wxEVT_BUTTON, [this, handler](wxCommandEvent&) {
            (handlers_.*handler)();
            afterHandler();
        });
    };
    onButton(Command2, &tKeyloom::Command2_Click);
    onButton(Command1, &tKeyloom::Command1_Click);
    onButton(add2List, &tKeyloom::add2List_Click);
    onButton(insert, &tKeyloom::insert_Click);
    onButton(deleteButton, &tKeyloom::deleteButton_Click);
    onButton(Save, &tKeyloom::save_Click);

    auto onMenu = [this](int id, void (tKeyloom::*handler)()) {
        Bind(wxEVT_MENU, [this, handler](wxCommandEvent&) {
            (handlers_.*handler)();
            afterHandler();
        }, id);
    };
    onMenu(idLoad, &tKeyloom::load_Click);
    onMenu(idClear, &tKeyloom::clear_Click);
    onMenu(idExit, &tKeyloom::exit_Click);
    onMenu(idEdit, &tKeyloom::edit_Click);
    onMenu(idRecord, &tKeyloom::record_Click);
    onMenu(idHelp, &tKeyloom::hrlp_Click);
    onMenu(idAbout, &tKeyloom::about_Click);

    // Coming over the list is a move over it too.
    auto onMove = [this](wxMouseEvent& e) {
        handlers_.List1_MouseMove(List1->entryAt(e.GetPosition()),
                                  e.ButtonIsDown(wxMOUSE_BTN_ANY));
        e.Skip();
    };
    List1->Bind(wxEVT_MOTION, onMove);
    List1->Bind(wxEVT_ENTER_WINDOW, onMove);
    mouseLocation->Bind(wxEVT_LEFT_DCLICK,
                        [this](wxMouseEvent&) { handlers_.mouseLocation_DblClick(); });

    timerOf(MainTimer::Timer1).timer.Bind(wxEVT_TIMER,
                                          [this](wxTimerEvent&) { handlers_.Timer1_Timer(); });
    timerOf(MainTimer::Timer3).timer.Bind(wxEVT_TIMER,
                                          [this](wxTimerEvent&) { handlers_.Timer3_Timer(); });
    timerOf(MainTimer::Timer4).timer.Bind(wxEVT_TIMER,
                                          [this](wxTimerEvent&) { handlers_.Timer4_Timer(); });
    Bind(wxEVT_CLOSE_WINDOW, &tKeyloomFrame::onClose, this);
}

void tKeyloomFrame::afterHandler() {
    if (closing_ && state_.runDepth == 0 && !handlers_.loading()) Destroy();
}

void tKeyloomFrame::teardown() {
    if (closing_) return;
    closing_ = true;
    toolkit_.abandonWaits();
    toolkit_.closeHelp();
    for (Timer& t : timers_) t.timer.Stop();
    // Inside a run or a load the window must stay until it has returned
    // through its handlers; it is hidden now and goes then. (Hidden first in
    // any case: the toolkit leaves the last window on screen until its next
    // idle time, which nothing may bring when the close came from a signal.)
    Hide();
    if (state_.runDepth == 0 && !handlers_.loading()) Destroy();
}

void tKeyloomFrame::onClose(wxCloseEvent&) { endProgram(); }

void tKeyloomFrame::endProgram() {
    if (closing_) return;
    handlers_.Form_Unload();
    teardown();
}

Index tKeyloomFrame::listCount() const { return List1->count(); }

std::string tKeyloomFrame::listEntry(Index index) const { return std::string(List1->entry(index)); }

void tKeyloomFrame::listInsert(Index index, const std::string& entry) { List1->insert(index, entry); }

void tKeyloomFrame::listRemove(Index index) { List1->remove(index); }

void tKeyloomFrame::listReplace(LineList entries) { List1->replace(std::move(entries)); }

Index tKeyloomFrame::listSelection() const { return List1->GetSelection(); }

void tKeyloomFrame::setListToolTip(const std::string& text) {
    wxString tip = shownEntry(text);
    if (List1->GetToolTipText() == tip) return;
    if (tip.empty())
        List1->UnsetToolTip();
    else
        List1->SetToolTip(tip);
}

std::string tKeyloomFrame::comboText() const { return fromWx(Combo1->GetValue()); }

int tKeyloomFrame::comboSelection() const { return Combo1->GetSelection(); }

void tKeyloomFrame::fillComboList() {
    Combo1->SetValue(wxString());
    // The list once the window is built and shown, on the event loop's first
    // turn: nobody can open it before.
    CallAfter([this] {
        wxArrayString words;
        for (std::string_view w : kCommandWords) words.push_back(toWx(w));
        Combo1->Set(words);
    });
}

std::string tKeyloomFrame::valueText() const { return fromWx(Text1->GetValue()); }

void tKeyloomFrame::setValueText(const std::string& text) { Text1->ChangeValue(toWx(text)); }

void tKeyloomFrame::setReadout(const std::string& text) { mouseLocation->SetLabel(toWx(text)); }

void tKeyloomFrame::setReadoutToolTip(const std::string& text) {
    mouseLocation->SetToolTip(toWx(text));
}

void tKeyloomFrame::applyTimer(Timer& t) {
    if (t.enabled && t.interval > 0 && !closing_)
        t.timer.Start(t.interval);
    else
        t.timer.Stop();
}

void tKeyloomFrame::setTimerInterval(MainTimer id, int ms) {
    Timer& t = timerOf(id);
    t.interval = ms;
    applyTimer(t);
}

void tKeyloomFrame::enableTimer(MainTimer id, bool on) {
    Timer& t = timerOf(id);
    t.enabled = on;
    applyTimer(t);
}

bool tKeyloomFrame::timerEnabled(MainTimer id) const { return timerOf(id).enabled; }

void tKeyloomFrame::unloadWindow() { Close(); }

bool tKeyloomFrame::loadingGoesOn(const std::string& fileName, double seconds) {
    if (closing_) return false;
    if (seconds < 1 && !loadingSign_) return true;
    // Without a parent, so that it disables no window: the main window goes
    // on answering, and Cancel gives the load up.
    if (!loadingSign_)
        loadingSign_ = std::make_unique<wxProgressDialog>(
            toWx(kAppTitle), toWx("Loading " + fileName + " ..."), 100, nullptr,
            wxPD_CAN_ABORT | wxPD_ELAPSED_TIME);
    return loadingSign_->Pulse();
}

void tKeyloomFrame::loadingEnded() { loadingSign_.reset(); }

void tKeyloomFrame::loadFile(const std::string& path) {
    handlers_.loadFile(path);
    afterHandler();
}

}  // namespace keyloom::ui
