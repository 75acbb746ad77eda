// The windowed program, put together in the test process as the keyloom
// program does it (for the gui tier and the fault tier's window tests): the
// system's desktop (or the one given), the wx toolkit, the main window with
// its window registry. Events are run by the test (pump, pumpUntil); file
// dialogs are really shown and answered as a user would, by choosing a path
// and pressing OK; message boxes are answered from a script.
#pragma once

#include <gtest/gtest.h>
#include <wx/menu.h>
#include <wx/weakref.h>

#include <memory>
#include <optional>
#include <string>

#include "engine/engine.h"
#include "platform/systemDesktop.h"
#include "support/fileBytes.h"
#include "support/tempDir.h"
#include "support/wxHarness.h"
#include "tests/gui/xInput.h"
#include "ui/common/services.h"
#include "ui/common/wxText.h"
#include "ui/main/tKeyloomFrame.h"
#include "ui/main/windows.h"

namespace keyloom::test {

// The program: what the keyloom program's application object holds.
struct GuiProgram {
    explicit GuiProgram(platform::Desktop* given = nullptr) {
        dialogs().reset();
        std::string error;
        if (given == nullptr) {
            owned = platform::openSystemDesktop(&error);
            if (!owned) throw std::runtime_error(error);
        }
        platform::Desktop& desktop = given != nullptr ? *given : *owned;
        main = new ui::tKeyloomFrame(state, desktop, toolkit, windows);
        services = std::make_unique<ui::Services>(ui::Services{
            desktop, toolkit, state, {toolkit, state, main->handlers().macroList()}, windows,
            [this] { main->endProgram(); }});
        ui::registerWindows(windows, *services);
        main->handlers().Form_Load(false);
        main->Show();
        pumpUntil([this] { return main->IsShownOnScreen(); });
    }
    ~GuiProgram() {
        if (main) main->Close(true);
        pumpUntil([&] { return !main; }, 10);
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

    std::unique_ptr<platform::Desktop> owned;
    ui::WxToolkit toolkit{""};
    RunState state;
    ui::WindowRegistry windows;
    wxWeakRef<ui::tKeyloomFrame> main;  // null once the window is gone
    std::unique_ptr<ui::Services> services;
};

// A test of the whole windowed program: a connection of its own to the
// display, the keyboard and mouse as a user drives them, and every key and
// button put back as it was afterwards.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x) << "no X display: run under scripts/with-display.sh";
        guard.emplace(x.get());
        program = std::make_unique<GuiProgram>(desktop);
    }
    void TearDown() override { program.reset(); }

    platform::Desktop* desktop = nullptr;  // the program's; the system's when none
    XConnection x;
    std::optional<InputStateGuard> guard;
    UserInput input{x.get()};
    std::unique_ptr<GuiProgram> program;
    TempDir folder;
};

}  // namespace keyloom::test
