#include "guiFixture.h"

#include <wx/app.h>
#include <wx/combobox.h>
#include <wx/evtloop.h>
#include <wx/listbox.h>
#include <wx/modalhook.h>
#include <wx/timer.h>

#include <chrono>

#include "actions/keyString.h"
#include "ui/main/windows.h"

namespace keyloom::ui::test {
namespace {

double now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// No modal dialog ever shows in these tests: one that would is answered
// Cancel at once and counted, so the test fails instead of hanging.
class DialogWatchdog final : public wxModalDialogHook {
public:
    int ended = 0;

protected:
    int Enter(wxDialog*) override {
        ++ended;
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

DialogWatchdog* watchdog = nullptr;

// wx for the whole test program, under the display of $DISPLAY.
class WxEnvironment final : public ::testing::Environment {
public:
    void SetUp() override {
        wxApp::SetInstance(new wxApp);
        static char name[] = "test_gui_main";
        static char* argv[] = {name, nullptr};
        int argc = 1;
        ASSERT_TRUE(wxEntryStart(argc, argv)) << "no display";
        ASSERT_TRUE(wxTheApp->CallOnInit());
        watchdog = new DialogWatchdog;
        watchdog->Register();
    }
    void TearDown() override {
        watchdog->Unregister();
        delete watchdog;
        wxEntryCleanup();
    }
};

[[maybe_unused]] auto* const environment =
    ::testing::AddGlobalTestEnvironment(new WxEnvironment);

}  // namespace

int dialogsEndedByWatchdog() { return watchdog != nullptr ? watchdog->ended : 0; }

bool pumpUntil(const std::function<bool()>& done, double timeoutSeconds) {
    if (done()) return true;
    const double end = now() + timeoutSeconds;
    wxGUIEventLoop loop;
    wxTimer check;
    bool exiting = false;
    check.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (!exiting && (done() || now() > end)) {
            exiting = true;
            loop.ScheduleExit();
        }
    });
    check.Start(10);
    loop.Run();
    return done();
}

void pump(double seconds) {
    const double end = now() + seconds;
    pumpUntil([end] { return now() >= end; }, seconds + 1);
}

void settle(wxWindow* window) {
    wxPoint last = window->GetScreenPosition();
    double stableSince = now();
    pumpUntil(
        [&] {
            wxPoint here = window->GetScreenPosition();
            if (here != last) {
                last = here;
                stableSince = now();
            }
            return now() - stableSince >= 0.25;
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

Driver::Driver() : desktop_(platform::X11Desktop::open(nullptr, &error_)) {}

void Driver::moveTo(int x, int y) {
    desktop_->setCursorPos(x, y);
    desktop_->sync();
}

void Driver::moveOnto(wxWindow* w, int dx, int dy) {
    wxRect r = w->GetScreenRect();
    moveTo(r.x + (dx < 0 ? r.width / 2 : dx), r.y + (dy < 0 ? r.height / 2 : dy));
}

void Driver::click(wxWindow* w, int dx, int dy) {
    moveOnto(w, dx, dy);
    pump(0.05);
    desktop_->mouseEvent(platform::kLeftDown);
    desktop_->mouseEvent(platform::kLeftUp);
    desktop_->sync();
}

void Driver::doubleClick(wxWindow* w) {
    moveOnto(w);
    pump(0.05);
    for (int i = 0; i < 2; ++i) {
        desktop_->mouseEvent(platform::kLeftDown);
        desktop_->mouseEvent(platform::kLeftUp);
    }
    desktop_->sync();
}

void Driver::tapKey(std::uint8_t vk) {
    desktop_->keybdEvent(vk, 0, platform::kKeyDown);
    desktop_->keybdEvent(vk, 0, platform::kKeyUp);
    desktop_->sync();
}

void Driver::chord(std::uint8_t modifierVk, std::uint8_t vk) {
    desktop_->keybdEvent(modifierVk, 0, platform::kKeyDown);
    tapKey(vk);
    desktop_->keybdEvent(modifierVk, 0, platform::kKeyUp);
    desktop_->sync();
}

void Driver::type(const std::string& text) {
    desktop_->typeKeys(text, parseKeyString(text).strokes, {});
    desktop_->sync();
}

void MainWindowGui::SetUp() {
    ASSERT_TRUE(driver.ok()) << driver.error();
    open(fake);
}

void MainWindowGui::open(platform::Desktop& desktop) {
    if (frame) {
        windows.unloadAll();
        frame->Destroy();
        pumpUntil([this] { return !frame; }, 5);
    }
    auto* f = new tKeyloomFrame(state, desktop, toolkit, windows);
    frame = f;
    services = std::make_unique<Services>(Services{
        desktop, toolkit, state, {toolkit, state, f->handlers().macroList()}, windows,
        [f] { f->endProgram(); }});
    registerWindows(windows, *services);
    ASSERT_TRUE(f->handlers().Form_Load(false));
    f->Show();
    f->Raise();
    ASSERT_TRUE(pumpUntil([f] { return f->IsShownOnScreen() && f->IsActive(); }, 10))
        << "the main window did not come up with the focus";
    settle(f);
}

void MainWindowGui::TearDown() {
    windows.unloadAll();
    if (frame) frame->Destroy();
    pumpUntil([this] { return !frame; }, 5);
    EXPECT_EQ(dialogsEndedByWatchdog(), 0) << "a dialog came up";
}

std::vector<std::string> MainWindowGui::entries() {
    std::vector<std::string> out;
    for (Index i = 0; i < frame->listCount(); ++i) out.push_back(frame->listEntry(i));
    return out;
}

void MainWindowGui::pick(int position) { find<wxComboBox>("Combo1")->SetSelection(position); }

}  // namespace keyloom::ui::test
