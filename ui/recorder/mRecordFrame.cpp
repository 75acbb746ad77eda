#include "ui/recorder/mRecordFrame.h"

#include <wx/button.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/textctrl.h>

#include "ui/common/keyloomIcon.h"
#include "ui/common/wxText.h"
#include "ui/editor/macroEditorFrame.h"

namespace keyloom::ui {
namespace {

enum MenuId { idNew = wxID_HIGHEST + 300, idSave, idExit };

// The design in twips; 15 twips are one pixel at 96 dots per inch.
struct Place {
    int left, top, width, height;
};
constexpr Place kClient{0, 0, 2475, 3195};
constexpr Place kText1{0, 0, 2415, 2535};
constexpr Place kCommand1{120, 2640, 2175, 495};

constexpr int pixels(int twips) { return (twips + 7) / 15; }

// The editor window, loaded without being shown when it is not loaded yet.
macroEditor* editorOf(Services& services) {
    auto* editor = dynamic_cast<macroEditorFrame*>(services.windows.window(WindowId::Editor, true));
    return editor == nullptr ? nullptr : &editor->handlers();
}

}  // namespace

mRecordFrame::mRecordFrame(Services& services)
    : wxFrame(nullptr, wxID_ANY, kRecorderCaption, wxDefaultPosition, wxDefaultSize,
              wxDEFAULT_FRAME_STYLE & ~(wxRESIZE_BORDER | wxMAXIMIZE_BOX)),
      handlers_(*this, services.desktop, services.toolkit, services.state, services.files.mainList,
                [&services] { return editorOf(services); }) {
    SetIcons(keyloomIcons());
    createMenus();
    createControls();
    bindEvents();
    handlers_.Form_Load();
}

mRecordFrame::~mRecordFrame() {
    for (wxTimer& t : timers_) t.Stop();
}

void mRecordFrame::createMenus() {
    auto* file = new wxMenu;
    file->Append(idNew, "&New");
    file->Append(idSave, "Sa&ve");
    file->AppendSeparator();
    file->Append(idExit, "E&xit");
    auto* bar = new wxMenuBar;
    bar->Append(file, "&File");
    SetMenuBar(bar);
}

void mRecordFrame::createControls() {
    auto* panel = new wxPanel(this, wxID_ANY);
    auto pos = [this](const Place& p) { return FromDIP(wxPoint(pixels(p.left), pixels(p.top))); };
    auto size = [this](const Place& p) {
        return FromDIP(wxSize(pixels(p.width), pixels(p.height)));
    };
    // Created in tab order. The recording has no length limit.
    Text1 = new wxTextCtrl(panel, wxID_ANY, wxEmptyString, pos(kText1), size(kText1),
                           wxTE_MULTILINE);
    Command1 = new wxButton(panel, wxID_ANY, kBeginRecording, pos(kCommand1), size(kCommand1));
    Text1->SetName("Text1");
    Command1->SetName("Command1");
    SetClientSize(size(kClient));
    Text1->SetFocus();
}

template <typename Handler>
void mRecordFrame::run(Handler&& handler) {
    if (unloaded_) return;
    ++running_;
    handler();
    --running_;
    if (running_ == 0 && destroyPending_) wxFrame::Destroy();
}

void mRecordFrame::bindEvents() {
    Command1->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { run([&] { handlers_.Command1_Click(); }); });
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { run([&] { handlers_.new_Click(); }); }, idNew);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { run([&] { handlers_.save_Click(); }); }, idSave);
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { run([&] { handlers_.exit_Click(); }); }, idExit);
    timerOf(RecordTimer::Timer1).Bind(wxEVT_TIMER, [this](wxTimerEvent&) { run([&] { handlers_.Timer1_Timer(); }); });
    timerOf(RecordTimer::Timer2).Bind(wxEVT_TIMER, [this](wxTimerEvent&) { run([&] { handlers_.Timer2_Timer(); }); });
    timerOf(RecordTimer::Timer3).Bind(wxEVT_TIMER, [this](wxTimerEvent&) { run([&] { handlers_.Timer3_Timer(); }); });
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Destroy(); });
}

bool mRecordFrame::Destroy() {
    if (!unloaded_) {
        unloaded_ = true;
        handlers_.Form_Unload();
    }
    for (wxTimer& t : timers_) t.Stop();
    if (running_ > 0) {
        destroyPending_ = true;
        Hide();
        return true;
    }
    return wxFrame::Destroy();
}

void mRecordFrame::appendLine(std::string_view line) {
    // At the end of the text as it is, whatever the caret or the user did:
    // the cost does not depend on the length of the recording.
    wxString added = toWx(line);
    added += '\n';
    Text1->AppendText(added);
}

std::string mRecordFrame::text() const { return fromWx(Text1->GetValue()); }

void mRecordFrame::setText(const std::string& text) { Text1->ChangeValue(toWx(text)); }

void mRecordFrame::setButtonCaption(const std::string& caption) { Command1->SetLabel(toWx(caption)); }

void mRecordFrame::setTimerInterval(RecordTimer timer, int ms) {
    wxTimer& t = timerOf(timer);
    if (ms > 0 && !unloaded_)
        t.Start(ms);
    else
        t.Stop();
}

void mRecordFrame::unloadWindow() { Close(); }

}  // namespace keyloom::ui
