// keyloom: the windowed program. The application object owns the run state,
// the desktop, the toolkit and the window registry for the whole program; the
// main window is its only window at start.
#include <wx/app.h>
#include <wx/event.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/stdpaths.h>
#include <wx/weakref.h>

#include <cstdlib>
#include <future>
#include <iostream>
#include <memory>
#include <optional>
#include <string_view>

#include "engine/engine.h"
#include "files/fileRoutine.h"
#include "platform/nativeLook.h"
#include "platform/quitSignals.h"
#include "platform/runStops.h"
#include "platform/systemDesktop.h"
#include "ui/common/services.h"
#include "ui/common/wxText.h"
#include "ui/main/singleCopy.h"
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

class KeyloomApp final : public wxApp {
public:
    bool OnInit() override {
        // No command-line options (a file name at most): the toolkit's own
        // are not parsed either.
        SetAppName("keyloom");
        // A macro file opened while Keyloom runs goes to the running copy.
        single_ = std::make_unique<ui::SingleCopy>();
        if (single_->anotherRunning() && argc > 1 && single_->handOver(ui::fromWx(argv[1]))) {
            handedOver_ = true;
            return true;
        }
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
        auto* frame = new ui::tKeyloomFrame(state_, *desktop_, *toolkit_, windows_);
        services_ = std::make_unique<ui::Services>(ui::Services{
            *desktop_, *toolkit_, state_, {*toolkit_, state_, frame->handlers().macroList()},
            windows_, [frame] { frame->endProgram(); }});
        ui::registerWindows(windows_, *services_);

        if (!frame->handlers().Form_Load(single_->anotherRunning())) {
            delete frame;
            return false;
        }
        SetTopWindow(frame);
        frame->Show();
        // A macro file given at start (the desktop opens macro files this
        // way), or handed over later, is loaded as the File menu's Load
        // does; a handed-over one brings the window to the front.
        // It loads once the main loop runs: a long load, and a run that it
        // starts, then end with the window like any other.
        if (argc > 1)
            frame->CallAfter([window = wxWeakRef<ui::tKeyloomFrame>(frame), path = ui::fromWx(argv[1])] {
                if (ui::tKeyloomFrame* main = window.get(); main != nullptr && !main->IsBeingDeleted())
                    main->loadFile(path);
            });
        single_->listen([window = wxWeakRef<ui::tKeyloomFrame>(frame)](const std::string& path) {
            ui::tKeyloomFrame* main = window.get();
            if (main == nullptr || main->IsBeingDeleted()) return;  // the program is ending
            main->CallAfter([main, path] {
                main->loadFile(path);
                if (main->IsIconized()) main->Iconize(false);
                main->Raise();
            });
        });
        // Logout, `kill` or the terminal going away close the window as its
        // close box does: a run in progress ends and leaves nothing held.
        quitSignals_ = std::make_unique<platform::QuitSignals>(
            [main = wxWeakRef<wxFrame>(frame)] {
                if (main) main->Close();
            });
        return true;
    }

    // A copy that handed its file over has nothing more to do.
    int OnRun() override { return handedOver_ ? 0 : wxApp::OnRun(); }

    // Left to right whatever the language: the windows' places are fixed in
    // the design and their captions are English. (Asking the locale would
    // also build the toolkit's whole table of languages, on the way to the
    // first window.)
    wxLayoutDirection GetLayoutDirection() const override { return wxLayout_LeftToRight; }

    int OnExit() override {
        quitSignals_.reset();
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
    std::unique_ptr<ui::SingleCopy> single_;
    bool handedOver_ = false;
    std::unique_ptr<platform::QuitSignals> quitSignals_;
};

}  // namespace

#ifdef __WINDOWS__
wxIMPLEMENT_APP(KeyloomApp);
#else
wxIMPLEMENT_APP_NO_MAIN(KeyloomApp);

// `keyloom --stop` stops every run in progress of this user, from a key
// binding or a terminal, on any desktop: it needs no window of its own.
//
// In a Wayland session with an X server beside it (XWayland), Keyloom's
// own windows stay on X: there they keep their places and the tracker can
// follow the cursor. Programs that a macro starts get the session's own
// choice again.
int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--stop") {
        std::string text;
        const int status = platform::reportStops(platform::stopEveryRun(), &text);
        (status == 0 ? std::cout : std::cerr) << "keyloom: " << text << '\n';
        return status;
    }
    const auto isSet = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    const bool onX = isSet("WAYLAND_DISPLAY") && isSet("DISPLAY") && !isSet("GDK_BACKEND");
    if (onX) setenv("GDK_BACKEND", "x11", 1);
    if (!wxEntryStart(argc, argv)) {
        std::cerr << "keyloom: cannot start the window toolkit (is a display open?)\n";
        return 1;
    }
    if (onX) unsetenv("GDK_BACKEND");
    int status = 1;
    if (wxTheApp->CallOnInit()) {
        status = wxTheApp->OnRun();
        wxTheApp->OnExit();
    }
    wxEntryCleanup();
    return status;
}
#endif
