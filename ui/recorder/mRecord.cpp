#include "ui/recorder/mRecord.h"

#include "files/fileRoutine.h"

namespace keyloom::ui {

mRecord::mRecord(mRecordView& view, platform::Desktop& desktop, platform::Toolkit toolkit,
                 RunState& state, const MacroList& mainList, std::function<macroEditor*()> editor)
    : view_(view),
      desktop_(desktop),
      toolkit_(toolkit),
      state_(state),
      mainList_(mainList),
      editor_(std::move(editor)),
      samplers_(desktop, toolkit, sampler, view) {}

void mRecord::Form_Load() {
    desktop_.setKeyboardState(recorder::kKeyStates);
    notRecording = true;
    sampler.lastX = 0;
    sampler.lastY = 0;
}

void mRecord::Command1_Click() {
    if (notRecording) {
        // Whatever the desktop hides is said, not recorded as nothing.
        const bool keys = desktop_.seesInput(), moves = desktop_.tellsCursorPosition();
        if (!keys || !moves) {
            std::string missing = keys ? "" : kNoInputSeen;
            if (!moves) missing += std::string(missing.empty() ? "" : "\n\n") + kNoCursorSeen;
            toolkit_.dialogs.messageBox(missing, kRecorderCaption,
                                        platform::MessageStyle::OkExclamation);
            if (!keys && !moves) return;  // nothing at all could be recorded
        }
        view_.setText("");
        view_.setButtonCaption(kEndRecording);
        view_.setTimerInterval(RecordTimer::Timer1, recorder::kKeyboardInterval);
        view_.setTimerInterval(RecordTimer::Timer2, recorder::kCursorInterval);
        view_.setTimerInterval(RecordTimer::Timer3, recorder::kButtonInterval);
        notRecording = false;
    } else {
        view_.setButtonCaption(kBeginRecording);
        view_.setTimerInterval(RecordTimer::Timer1, 0);
        view_.setTimerInterval(RecordTimer::Timer2, 0);
        view_.setTimerInterval(RecordTimer::Timer3, 0);
        notRecording = true;
    }
}

// A running recording goes on into the emptied text.
void mRecord::new_Click() { view_.setText(""); }

// A running recording is not stopped; the file gets the text as it is once
// the dialog has closed. An existing file is replaced only after the
// question, and a failure says so; the recording stays either way.
void mRecord::save_Click() {
    macroEditor* editor = editor_();
    if (editor == nullptr) return;
    auto path = editor->saveAsDialog();
    if (!path) return;
    fileRoutine::Context context{toolkit_, state_, mainList_};
    fileRoutine::saveRecording(*path, view_.text(), context);
}

void mRecord::exit_Click() { view_.unloadWindow(); }

// Stops the samplers; the window then goes, and an unsaved recording with it.
void mRecord::Form_Unload() {
    view_.setTimerInterval(RecordTimer::Timer1, 0);
    view_.setTimerInterval(RecordTimer::Timer2, 0);
    view_.setTimerInterval(RecordTimer::Timer3, 0);
    notRecording = true;
}

}  // namespace keyloom::ui
