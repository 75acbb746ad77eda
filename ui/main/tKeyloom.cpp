#include "ui/main/tKeyloom.h"

#include <utility>

#include "files/fileRoutine.h"
#include "ui/main/builder.h"
#include "ui/main/readout.h"

namespace keyloom::ui {

using platform::DialogKind;
using platform::MessageStyle;

tKeyloom::tKeyloom(tKeyloomView& view, RunState& state, platform::Desktop& desktop,
                   platform::Toolkit toolkit, Windows& windows)
    : view_(view),
      state_(state),
      desktop_(desktop),
      toolkit_(toolkit),
      windows_(windows),
      list_(view),
      engine_(state, list_, desktop, toolkit) {}

bool tKeyloom::Form_Load(bool anotherCopyRunning) {
    if (anotherCopyRunning) {
        toolkit_.dialogs.messageBox(kAlreadyRunning, kAppTitle, MessageStyle::Ok);
        return false;
    }
    trackingOff = 1;
    view_.fillComboList();
    state_.stopFlag = 0;
    state_.lastIndex = 0;
    return true;
}

void tKeyloom::Form_Unload() {
    // A run in progress acts no further: nothing more is sent and the keys
    // it holds are released; it ends when control comes back to it.
    if (engine_.running()) engine_.abandon();
    windows_.unload(WindowId::Editor);
    windows_.unload(WindowId::Recorder);
    windows_.unload(WindowId::Tracker);
    windows_.unload(WindowId::About);
}

// Run pressed while a file loads runs that file once it is in.
void tKeyloom::Command2_Click() {
    if (loading()) {
        runAfterLoad_ = true;
        return;
    }
    engine_.command2Click();
}

void tKeyloom::Command1_Click() { engine_.command1Click(); }

std::optional<std::string> tKeyloom::takeEntry() {
    Composed composed = composeEntry(view_.comboText(), view_.comboSelection(), view_.valueText());
    view_.setValueText("");
    return composed.entry;
}

void tKeyloom::add2List_Click() {
    state_.lastIndex = view_.listCount();
    if (auto entry = takeEntry()) view_.listInsert(view_.listCount(), *entry);
}

void tKeyloom::insert_Click() {
    state_.lastIndex = view_.listCount();
    Index selected = view_.listSelection();
    auto entry = takeEntry();
    if (selected >= 0 && entry) view_.listInsert(selected, *entry);
}

void tKeyloom::deleteButton_Click() {
    Index selected = view_.listSelection();
    if (selected < 0) return;
    view_.listRemove(selected);
    state_.lastIndex = view_.listCount();
}

void tKeyloom::clear_Click() { view_.listReplace(LineList()); }

void tKeyloom::List1_MouseMove(Index hit, bool buttonDown) {
    if (buttonDown) return;
    bool onEntry = hit >= 0 && hit < view_.listCount();
    view_.setListToolTip(onEntry ? view_.listEntry(hit) : std::string());
}

void tKeyloom::Timer1_Timer() {
    platform::Point cursor = desktop_.getCursorPos();
    view_.setReadout(readoutText(desktop_, cursor));
    if (auto interval = readoutPace_.tick(cursor)) view_.setTimerInterval(MainTimer::Timer1, *interval);
}

void tKeyloom::Timer3_Timer() { view_.enableTimer(MainTimer::Timer3, false); }

void tKeyloom::Timer4_Timer() { view_.enableTimer(MainTimer::Timer4, false); }

void tKeyloom::mouseLocation_DblClick() {
    if (trackingOff != 1) {
        view_.setReadoutToolTip(kTrackingOnTip);
        windows_.unload(WindowId::Tracker);
        trackingOff = 1;
    } else {
        windows_.show(WindowId::Tracker);
        view_.setReadoutToolTip(kTrackingOffTip);
        trackingOff = 0;
    }
}

void tKeyloom::exit_Click() {
    view_.unloadWindow();
    windows_.unload(WindowId::Editor);
    windows_.unload(WindowId::Recorder);
    windows_.unload(WindowId::Tracker);
}

void tKeyloom::hrlp_Click() {
    if (!toolkit_.dialogs.showHelp())
        toolkit_.dialogs.messageBox(kHelpMissing, kAppTitle, MessageStyle::Ok);
}

// The editor and the recorder are shown through the window registry, which
// creates each of them once (see registerWindows).
void tKeyloom::edit_Click() { windows_.show(WindowId::Editor); }

void tKeyloom::record_Click() { windows_.show(WindowId::Recorder); }

void tKeyloom::about_Click() { windows_.show(WindowId::About); }

void tKeyloom::load_Click() {
    auto path = toolkit_.dialogs.fileDialog(DialogKind::Open, fileRoutine::kFilterA, 1);
    if (path) loadFile(*path);
}

void tKeyloom::loadFile(const std::string& path) {
    ++loads_;
    auto entries = fileRoutine::loadList(path, toolkit_, [&](double seconds) { return view_.loadingGoesOn(path, seconds); });
    view_.loadingEnded();
    --loads_;
    if (entries) view_.listReplace(std::move(*entries));
    state_.lastIndex = view_.listCount();
    if (loading() || !std::exchange(runAfterLoad_, false) || !entries) return;
    engine_.command2Click();
}

void tKeyloom::save_Click() {
    auto path = toolkit_.dialogs.fileDialog(DialogKind::SaveAs, fileRoutine::kFilterB, 2);
    if (!path) return;
    fileRoutine::saveList(*path, list_, toolkit_);
}

void tKeyloom::startShortTimer(int ms) {
    MainTimer timer = ms == 1 ? MainTimer::Timer4 : MainTimer::Timer3;
    view_.setTimerInterval(timer, ms);
    view_.enableTimer(timer, true);
}

bool tKeyloom::shortTimerRunning(int ms) const {
    return view_.timerEnabled(ms == 1 ? MainTimer::Timer4 : MainTimer::Timer3);
}

}  // namespace keyloom::ui
