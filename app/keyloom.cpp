// keyloom: the windowed program. The application object owns the run state,
// the desktop, the toolkit and the window registry for the whole program; the
// main window is its only window at start.
#include <wx/app.h>
#include <wx/event.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/snglinst.h>
#include <wx/stdpaths.h>

#include <future>
#include <memory>
#include <optional>

#include "engine/engine.h"
#include "files/fileRoutine.h"
#include "platform/nativeLook.h"
#include "platform/systemDesktop.h"
#include "ui/common/services.h"
#include "ui/common/wxText.h"
#include "ui/main/tKeyloomFrame.h"
#include "ui/main/windows.h"

namespace {

using namespace keyloom;

// The help book: in "help" beside the program, or where an installation
// puts it.
std::string findHelpBook() {
    wxFileName exe(wxStandardPaths::Get().GetExecutablePath());
    const wxString dir = exe.GetPath();
    for (const wxString& candidate :
         {dir + "/help/Loomhlp.hhp", dir + "/../share/keyloom/help/Loomhlp.hhp"}) {
        if (wxFileName::FileExists(candidate)) return ui::fromWx(candidate);
    }
    return ui::fromWx(dir + "/help/Loomhlp.hhp");
}

// The help viewer, beside the program.
std::string helpViewer() {
    wxFileName exe(wxStandardPaths::Get().GetExecutablePath());
    return ui::fromWx(exe.GetPath() + "/keyloom-help");
}

// The lock that keeps a second copy from starting: in the session's runtime
// folder (private to the user, in memory) where there is one, else hidden in
// the home folder.
std::unique_ptr<wxSingleInstanceChecker> lockSingleCopy() {
    wxString runtime;
    if (wxGetEnv("XDG_RUNTIME_DIR", &runtime) && !runtime.empty() && wxDirExists(runtime)) {
        wxLogNull quiet;  // a folder that will not take the lock is no error: the home will
        auto single = std::make_unique<wxSingleInstanceChecker>();
        if (single->Create("keyloom.lock", runtime)) return single;
    }
    auto single = std::make_unique<wxSingleInstanceChecker>();
    single->Create(".keyloom.lock");
    return single;
}

class KeyloomApp final : public wxApp {
public:
    bool OnInit() override {
        // No command-line options (a file name at most): the toolkit's own
        // are not parsed either.
        SetAppName("keyloom");
        // No window asks for idle time or interface updates: none is sent
        // after every timer tick of the read-out.
        wxIdleEvent::SetMode(wxIDLE_PROCESS_SPECIFIED);
        wxUpdateUIEvent::SetMode(wxUPDATE_UI_PROCESS_SPECIFIED);
        // Once the toolkit has started (and done with the environment), the
        // fonts are read meanwhile.
        fonts_.emplace();
        // The desktop's connection opens while the toolkit reads its theme.
        auto opening = std::async(std::launch::async, [] { return platform::chooseSystemDesktop(); });
        platform::loadStyleSheet();
        platform::SystemDesktop chosen = opening.get();
        desktop_ = std::move(chosen.desktop);
        if (!chosen.notice.empty())
            wxMessageBox(ui::toWx(chosen.notice), ui::toWx(kAppTitle), wxOK | wxICON_INFORMATION);
        if (!desktop_) {
            wxMessageBox(ui::toWx("Cannot reach the desktop: " + chosen.error), ui::toWx(kAppTitle),
                         wxOK | wxICON_ERROR);
            return false;
        }
        toolkit_ = std::make_unique<ui::WxToolkit>(findHelpBook(), helpViewer());
        single_ = lockSingleCopy();

        auto* frame = new ui::tKeyloomFrame(state_, *desktop_, *toolkit_, windows_);
        services_ = std::make_unique<ui::Services>(ui::Services{
            *desktop_, *toolkit_, state_, {*toolkit_, state_, frame->handlers().macroList()},
            windows_, [frame] { frame->endProgram(); }});
        ui::registerWindows(windows_, *services_);

        if (!frame->handlers().Form_Load(single_->IsAnotherRunning())) {
            delete frame;
            return false;
        }
        // A macro file given at start (the desktop opens macro files this
        // way) is loaded as the File menu's Load does.
        if (argc > 1) {
            if (auto entries = fileRoutine::loadList(ui::fromWx(argv[1])))
                frame->listReplace(*entries);
            state_.lastIndex = frame->listCount();
        }
        SetTopWindow(frame);
        frame->Show();
        return true;
    }

    // Left to right whatever the language: the windows' places are fixed in
    // the design and their captions are English. (Asking the locale would
    // also build the toolkit's whole table of languages, on the way to the
    // first window.)
    wxLayoutDirection GetLayoutDirection() const override { return wxLayout_LeftToRight; }

    int OnExit() override {
        single_.reset();
        return wxApp::OnExit();
    }

private:
    std::optional<platform::FontPreload> fonts_;
    // Destroyed after the toolkit has deleted the last window.
    RunState state_;
    std::unique_ptr<platform::Desktop> desktop_;
    std::unique_ptr<ui::WxToolkit> toolkit_;
    ui::WindowRegistry windows_;
    std::unique_ptr<ui::Services> services_;
    std::unique_ptr<wxSingleInstanceChecker> single_;
};

}  // namespace

wxIMPLEMENT_APP(KeyloomApp);
