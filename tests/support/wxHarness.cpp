#include "support/wxHarness.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/init.h>
#include <wx/msgdlg.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <memory>

#include "ui/common/wxText.h"

namespace keyloom::test {
namespace {

std::unique_ptr<wxGUIEventLoop> loop;
DialogAnswers* hook = nullptr;

}  // namespace

DialogAnswers::DialogAnswers() {
    timer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { answerFileDialog(); });
}

int DialogAnswers::Enter(wxDialog* dialog) {
    if (auto* box = dynamic_cast<wxMessageDialog*>(dialog)) {
        asked.push_back("message " + ui::fromWx(box->GetMessage()));
        int answer = answers.empty() ? (box->HasFlag(wxNO_DEFAULT) ? wxID_NO : wxID_OK)
                                     : answers.front();
        if (!answers.empty()) answers.pop_front();
        return answer;
    }
    // A file dialog passes here twice (its own show and the dialog's).
    if (auto* files = dynamic_cast<wxFileDialog*>(dialog); files != nullptr && files != current_) {
        asked.push_back(std::string(files->HasFlag(wxFD_SAVE) ? "save " : "open ") +
                        std::to_string(files->GetFilterIndex() + 1) + " " +
                        ui::fromWx(files->GetWildcard()));
        current_ = files;
        ticks_ = 0;
        timer_.Start(50);
        return wxID_NONE;  // shows the dialog
    }
    if (dynamic_cast<wxFileDialog*>(dialog) == nullptr) {
        asked.push_back("dialog " + ui::fromWx(dialog->GetTitle()));
        return wxID_CANCEL;
    }
    return wxID_NONE;
}

void DialogAnswers::Exit(wxDialog* dialog) {
    if (dialog == current_) {
        current_ = nullptr;
        timer_.Stop();
    }
}

void DialogAnswers::answerFileDialog() {
    // Once it is on the screen, as a user would see it.
    if (current_ == nullptr || !current_->IsShown()) return;
    wxFileDialog* dialog = current_;
    if (paths.empty()) {
        timer_.Stop();
        dialog->EndModal(wxID_CANCEL);
        return;
    }
    const wxString path = ui::toWx(paths.front());
    // The dialog moves to the path's folder in its own time, and may first
    // show the file of an earlier test there: the path is given again now
    // and then, and OK pressed once the dialog shows it.
    if (ticks_++ % 20 == 0) dialog->SetPath(path);
    if (dialog->GetPath() != path && ticks_ < 600) return;
    timer_.Stop();
    paths.pop_front();
    dialog->EndModal(wxID_OK);
}

DialogAnswers& dialogs() { return *hook; }

void WxEnvironment::SetUp() {
    static int argc = 1;
    static char name[] = "keyloom-test";
    static char* argv[] = {name, nullptr};
    wxApp::SetInstance(new wxApp);
    ASSERT_TRUE(wxEntryStart(argc, argv)) << "no display: run under scripts/with-display.sh";
    ASSERT_TRUE(wxTheApp->CallOnInit());
    // A failed check of the toolkit fails the test instead of waiting in a dialog.
    wxSetAssertHandler([](const wxString& file, int line, const wxString& function,
                          const wxString& condition, const wxString& message) {
        ADD_FAILURE() << "toolkit assertion " << condition << " (" << message << ") in " << function
                      << " at " << file << ":" << line;
    });
    loop = std::make_unique<wxGUIEventLoop>();
    wxEventLoopBase::SetActive(loop.get());
    hook = new DialogAnswers;
    hook->Register();
}

void WxEnvironment::TearDown() {
    hook->Unregister();
    delete hook;
    hook = nullptr;
    wxEventLoopBase::SetActive(nullptr);
    loop.reset();
    wxEntryCleanup();
}

void pump() {
    wxEventLoopBase* active = wxEventLoopBase::GetActive();
    for (int i = 0; i < 1000 && active != nullptr && active->Pending(); ++i) active->Dispatch();
    wxTheApp->ProcessPendingEvents();
    wxTheApp->ProcessIdle();
}

bool pumpUntil(const std::function<bool()>& done, double timeoutSeconds) {
    const wxStopWatch watch;
    for (;;) {
        pump();
        if (done()) return true;
        if (static_cast<double>(watch.Time()) > timeoutSeconds * 1000) return false;
        wxMilliSleep(5);
    }
}

void pumpFor(double seconds) {
    pumpUntil([] { return false; }, seconds);
}

void settle(wxWindow* window) {
    wxPoint last = window->GetScreenPosition();
    wxStopWatch stable;
    pumpUntil(
        [&] {
            wxPoint here = window->GetScreenPosition();
            if (here != last) {
                last = here;
                stable.Start();
            }
            return stable.Time() >= 250;
        },
        3);
}

void after(double seconds, std::function<void()> action) {
    auto* timer = new wxTimer;
    timer->Bind(wxEVT_TIMER, [timer, action = std::move(action)](wxTimerEvent&) {
        action();
        wxTheApp->CallAfter([timer] { delete timer; });
    });
    timer->StartOnce(static_cast<int>(seconds * 1000));
}

}  // namespace keyloom::test
