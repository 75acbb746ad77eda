#include "guiFixture.h"

#include <wx/combobox.h>

#include "actions/keyString.h"
#include "ui/main/windows.h"

namespace keyloom::ui::test {

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
    pumpFor(0.05);
    desktop_->mouseEvent(platform::kLeftDown);
    desktop_->mouseEvent(platform::kLeftUp);
    desktop_->sync();
}

void Driver::doubleClick(wxWindow* w) {
    moveOnto(w);
    pumpFor(0.05);
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
    dialogs().reset();
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
    EXPECT_TRUE(dialogs().asked.empty()) << "a dialog came up: " << dialogs().asked.front();
}

std::vector<std::string> MainWindowGui::entries() {
    std::vector<std::string> out;
    for (Index i = 0; i < frame->listCount(); ++i) out.push_back(frame->listEntry(i));
    return out;
}

void MainWindowGui::pick(int position) { find<wxComboBox>("Combo1")->SetSelection(position); }

}  // namespace keyloom::ui::test
