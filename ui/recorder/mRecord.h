// The recorder window's handlers, apart from the toolkit: starting and
// stopping a recording, the three sampler timers, and the File menu. The
// window (mRecordFrame) owns its controls behind mRecordView and calls these
// handlers from its events, so they run against the fake platform in tests.
#pragma once

#include <functional>
#include <string>

#include "engine/globalVariables.h"
#include "engine/macroList.h"
#include "platform/platform.h"
#include "recorder/samplers.h"
#include "ui/editor/macroEditor.h"

namespace keyloom::ui {

inline constexpr const char* kRecorderCaption = "DorEdezezoz";
inline constexpr const char* kBeginRecording = "Begin Recording";
inline constexpr const char* kEndRecording = "End Recording";
// Said when recording begins on a desktop that hides some input from programs.
inline constexpr const char* kNoInputSeen =
    "This desktop shows other programs neither your keys nor your mouse buttons, so "
    "they cannot be recorded. Keyloom reads them from the input devices where you may "
    "read those: as root, or as a member of the group \"input\".";
inline constexpr const char* kNoCursorSeen =
    "This desktop does not tell programs where the cursor is, so cursor moves are not "
    "recorded. Write the positions of MouseMove entries by hand.";

enum class RecordTimer { Timer1, Timer2, Timer3 };

// The controls of the recorder window. Text1 is the recording: the samplers
// add their lines at its end (recorder::Recording::appendLine).
class mRecordView : public recorder::Recording {
public:
    // Text1, its lines separated by "\n".
    virtual std::string text() const = 0;
    virtual void setText(const std::string& text) = 0;
    // Command1.
    virtual void setButtonCaption(const std::string& caption) = 0;
    // A timer's interval in milliseconds; 0 stops it.
    virtual void setTimerInterval(RecordTimer timer, int ms) = 0;
    // Closes the window; Form_Unload follows.
    virtual void unloadWindow() = 0;
};

class mRecord final {
public:
    // `editor` gives the editor window, loaded without being shown when it is
    // not loaded yet (nullptr when it cannot be had): a recording is saved
    // through its file dialog.
    mRecord(mRecordView& view, platform::Desktop& desktop, platform::Toolkit toolkit,
            RunState& state, const MacroList& mainList, std::function<macroEditor*()> editor);

    void Form_Load();
    void Command1_Click();
    void new_Click();
    void save_Click();
    void exit_Click();
    void Form_Unload();

    void Timer1_Timer() { samplers_.keyboardPass(); }
    void Timer2_Timer() { samplers_.cursorSample(); }
    void Timer3_Timer() { samplers_.buttonSample(); }

    bool notRecording = false;
    // lastX, lastY and upWritten: fresh in a new window, kept between the
    // recordings of one window.
    recorder::SamplerState sampler;

private:
    mRecordView& view_;
    platform::Desktop& desktop_;
    platform::Toolkit toolkit_;
    RunState& state_;
    const MacroList& mainList_;
    std::function<macroEditor*()> editor_;
    recorder::Samplers samplers_;
};

}  // namespace keyloom::ui
