// The toolkit services of the windowed program, on wxWidgets: letting events
// run, waiting with events running, the clock, message boxes, the Open and
// Save As dialog, the help book and the clipboard.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "ui/common/shortTimers.h"

class wxEventLoopBase;
class wxProcess;
class wxWindow;

namespace keyloom::ui {

class WxToolkit final : public platform::EventLoop, public platform::Dialogs {
public:
    // `helpBook` is the help book's .hhp file, `helpViewer` the program
    // that shows it (keyloom-help).
    explicit WxToolkit(std::string helpBook, std::string helpViewer = {});
    ~WxToolkit() override;
    WxToolkit(const WxToolkit&) = delete;
    WxToolkit& operator=(const WxToolkit&) = delete;

    double now() override;
    // Runs what is pending now, at most a bounded number of events, so that a
    // timer that keeps firing cannot hold it.
    void letEventsRun() override;
    // A nested event loop that a one-shot timer ends at the deadline.
    void waitUntil(double deadline) override;
    // The same loop, which a second timer also ends once `stopAsked` answers
    // true (asked every 10 ms).
    void waitUnlessStopped(double deadline, const platform::StopCheck& stopAsked) override;
    // On the main window's Timer3 and Timer4 once they are attached; the
    // wait blocks until an event comes, so it costs no processor time.
    void shortWait(int ms) override;
    platform::MessageAnswer messageBox(const std::string& text, const std::string& title,
                                       platform::MessageStyle style) override;
    std::optional<std::string> fileDialog(platform::DialogKind kind, const std::string& filter,
                                          int filterIndex) override;
    // Starts the help viewer at the book's contents (once: while it runs,
    // the help is shown already).
    bool showHelp() override;
    std::optional<std::string> clipboardText() override;
    void setClipboardText(const std::string& text) override;
    // Stop is pressed in the window itself and sets the stop flag directly.
    platform::StopRequest pendingStop() override { return platform::StopRequest::NoRequest; }

    // The one-shot timers of the main window (nothing while it has none).
    void setShortTimers(ShortTimers* timers) { timers_ = timers; }
    // The window that dialogs and message boxes belong to.
    void setDialogParent(wxWindow* parent) { parent_ = parent; }

    // The program is going away: every wait in progress returns now, and
    // from here on waits return at once, boxes answer their default button
    // without showing, and dialogs are cancelled.
    void abandonWaits();
    bool abandoned() const { return abandoned_; }
    // Closes the help window when it is open.
    void closeHelp();
    bool helpShown() const { return helpPid_ != 0; }

private:
    wxWindow* dialogParent() const;

    std::string helpBook_;
    std::string helpViewer_;
    wxProcess* help_ = nullptr;  // the viewer while it runs; it deletes itself
    long helpPid_ = 0;
    std::shared_ptr<WxToolkit*> self_ = std::make_shared<WxToolkit*>(this);
    ShortTimers* timers_ = nullptr;
    wxWindow* parent_ = nullptr;
    bool abandoned_ = false;
    std::vector<wxEventLoopBase*> waits_;  // nested wait loops, innermost last
};

}  // namespace keyloom::ui
