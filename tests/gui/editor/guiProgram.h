// The windowed program, put together in the test process as the keyloom
// program does it: the real X11 desktop, the wx toolkit, the main window with
// its window registry. Events are run by the test (pump, pumpUntil); file
// dialogs are really shown and answered as a user would, by choosing a path
// and pressing OK; message boxes are answered from a script.
#pragma once

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/init.h>
#include <wx/menu.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "platform/systemDesktop.h"
#include "ui/common/services.h"
#include "ui/common/wxText.h"
#include "ui/main/tKeyloomFrame.h"
#include "ui/main/windows.h"

namespace keyloom::test {

// wx, started once for the test program, with an event loop made active so
// that the toolkit's letEventsRun and the tests' pumping dispatch events.
class WxEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "keyloom-gui-test";
        static char* argv[] = {name, nullptr};
        wxApp::SetInstance(new wxApp);
        ASSERT_TRUE(wxEntryStart(argc, argv)) << "no display: run under scripts/with-display.sh";
        wxTheApp->CallOnInit();
        loop_ = std::make_unique<wxGUIEventLoop>();
        wxEventLoopBase::SetActive(loop_.get());
    }
    void TearDown() override {
        wxEventLoopBase::SetActive(nullptr);
        loop_.reset();
        wxEntryCleanup();
    }

private:
    std::unique_ptr<wxGUIEventLoop> loop_;
};

// Runs what is pending now, deletes windows that were closed.
inline void pump() {
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    for (int i = 0; i < 1000 && loop != nullptr && loop->Pending(); ++i) loop->Dispatch();
    wxTheApp->ProcessPendingEvents();
    wxTheApp->ProcessIdle();
}

// Runs events until `done` holds; false when it does not within the timeout.
inline bool pumpUntil(const std::function<bool()>& done, double timeoutSeconds = 20) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    for (;;) {
        pump();
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        wxMilliSleep(5);
    }
}

// Runs events for a while.
inline void pumpFor(double seconds) { pumpUntil([] { return false; }, seconds); }

// Answers the program's dialogs: a file dialog is left to appear, then gets
// the next scripted path and OK; a message box gets the next scripted answer
// (else its default) without showing. What was asked is kept.
class DialogAnswers final : public wxModalDialogHook {
public:
    DialogAnswers() {
        timer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { answerFileDialog(); });
        Register();
    }
    ~DialogAnswers() override { Unregister(); }

    std::deque<std::string> paths;  // for the file dialogs; none: Cancel
    std::deque<int> answers;        // wxID_YES, wxID_NO for the message boxes
    std::vector<std::string> asked;  // "open 2 <wildcard>", "save 2 ...", "message <text>"

protected:
    int Enter(wxDialog* dialog) override {
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
            if (current_ != files) {
                current_ = files;
                ticks_ = 0;
                timer_.Start(50);
            }
        }
        return wxID_NONE;
    }
    void Exit(wxDialog* dialog) override {
        if (dialog == current_) {
            current_ = nullptr;
            timer_.Stop();
        }
    }

private:
    void answerFileDialog() {
        // Once it is on the screen, as a user would see it.
        if (current_ == nullptr || !current_->IsShown()) return;
        wxFileDialog* dialog = current_;
        if (paths.empty()) {
            timer_.Stop();
            dialog->EndModal(wxID_CANCEL);
            return;
        }
        const wxString path = ui::toWx(paths.front());
        if (ticks_++ == 0) dialog->SetPath(path);
        // The dialog moves to the path's folder in its own time: OK once it
        // shows the path.
        if (dialog->GetPath() != path && ticks_ < 200) return;
        timer_.Stop();
        paths.pop_front();
        dialog->EndModal(wxID_OK);
    }

    wxTimer timer_;
    wxFileDialog* current_ = nullptr;
    int ticks_ = 0;
};

// The program: what the keyloom program's application object holds.
struct GuiProgram {
    GuiProgram() {
        std::string error;
        desktop = platform::openSystemDesktop(&error);
        if (!desktop) throw std::runtime_error(error);
        main = new ui::tKeyloomFrame(state, *desktop, toolkit, windows);
        services = std::make_unique<ui::Services>(ui::Services{
            *desktop, toolkit, state, {toolkit, state, main->handlers().macroList()}, windows,
            [this] { main->endProgram(); }});
        ui::registerWindows(windows, *services);
        main->handlers().Form_Load(false);
        main->Show();
        pumpUntil([this] { return main->IsShownOnScreen(); });
    }
    ~GuiProgram() {
        wxWeakRef<wxFrame> alive(main);
        if (alive) main->Close(true);
        pumpUntil([&] { return !alive; }, 10);
    }
    GuiProgram(const GuiProgram&) = delete;
    GuiProgram& operator=(const GuiProgram&) = delete;

    // Chooses a menu item of the main window ("Build", "Edit"), as a click on it does.
    void chooseMenu(const char* menu, const char* item) { choose(main, menu, item); }
    static void choose(wxFrame* frame, const char* menu, const char* item) {
        int id = frame->GetMenuBar()->FindMenuItem(menu, item);
        ASSERT_NE(id, wxNOT_FOUND) << menu << " > " << item;
        wxCommandEvent event(wxEVT_MENU, id);
        event.SetEventObject(frame);
        frame->GetEventHandler()->ProcessEvent(event);
    }

    template <typename Frame>
    Frame* window(ui::WindowId id) {
        return dynamic_cast<Frame*>(windows.window(id));
    }

    std::unique_ptr<platform::Desktop> desktop;
    ui::WxToolkit toolkit{""};
    RunState state;
    ui::WindowRegistry windows;
    ui::tKeyloomFrame* main = nullptr;
    std::unique_ptr<ui::Services> services;
    DialogAnswers dialogs;
};

// A control of `parent` by its name.
template <typename Control>
Control* control(wxWindow* parent, const char* name) {
    return dynamic_cast<Control*>(wxWindow::FindWindowByName(name, parent));
}

// A folder of the test's own, removed at the end.
struct TempFolder {
    TempFolder() {
        path = std::filesystem::temp_directory_path() /
               ("keyloom-gui-" +
                std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempFolder() { std::filesystem::remove_all(path); }
    std::string file(const char* name) const { return (path / name).string(); }
    std::filesystem::path path;
};

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace keyloom::test
