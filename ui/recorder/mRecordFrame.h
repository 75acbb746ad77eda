// The recorder window on wxWidgets: the recording's text box, the start and
// stop button, the File menu and the three sampler timers, each event handed
// to the handler of the same name in mRecord.
#pragma once

#include <wx/frame.h>
#include <wx/timer.h>

#include <array>

#include "ui/common/services.h"
#include "ui/recorder/mRecord.h"

class wxButton;
class wxTextCtrl;

namespace keyloom::ui {

class mRecordFrame final : public wxFrame, public mRecordView {
public:
    // Created hidden; Form_Load has run when the constructor returns.
    explicit mRecordFrame(Services& services);
    ~mRecordFrame() override;

    mRecord& handlers() { return handlers_; }

    // Closing is put off while one of our handlers runs (the button sampler
    // lets events run, a save waits in its dialog); the window goes when the
    // handler returns. The timers stop at once.
    bool Destroy() override;

    // mRecordView.
    void appendLine(std::string_view line) override;
    std::string text() const override;
    void setText(const std::string& text) override;
    void setButtonCaption(const std::string& caption) override;
    void setTimerInterval(RecordTimer timer, int ms) override;
    void unloadWindow() override;

private:
    void createControls();
    void createMenus();
    void bindEvents();
    template <typename Handler>
    void run(Handler&& handler);
    wxTimer& timerOf(RecordTimer t) { return timers_[static_cast<std::size_t>(t)]; }

    std::array<wxTimer, 3> timers_;
    int running_ = 0;
    bool unloaded_ = false;
    bool destroyPending_ = false;

    wxTextCtrl* Text1 = nullptr;
    wxButton* Command1 = nullptr;

    mRecord handlers_;
};

}  // namespace keyloom::ui
