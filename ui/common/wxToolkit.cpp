#include "ui/common/wxToolkit.h"

#include <wx/app.h>
#include <wx/clipbrd.h>
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/process.h>
#include <wx/msgdlg.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include <algorithm>
#include <chrono>
#include <cmath>

#include "ui/common/wxText.h"

namespace keyloom::ui {
namespace {

using platform::MessageAnswer;
using platform::MessageStyle;

// Enough for everything a click or a timer tick queues, few enough that a
// timer firing faster than its handler runs cannot keep the caller waiting.
constexpr int kMaxEventsPerRun = 64;

long styleOf(MessageStyle style) {
    switch (style) {
    case MessageStyle::Ok: return wxOK | wxICON_NONE;
    case MessageStyle::OkExclamation: return wxOK | wxICON_EXCLAMATION;
    case MessageStyle::YesNoQuestion: return wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION;
    }
    return wxOK;
}

MessageAnswer defaultAnswer(MessageStyle style) {
    return style == MessageStyle::YesNoQuestion ? MessageAnswer::No : MessageAnswer::Ok;
}

// The toolkit takes "description|pattern" pairs; a trailing "|" adds no
// pair and would be refused.
wxString wildcardOf(const std::string& filter, int& pairs) {
    std::string text = filter;
    std::size_t bars = 0;
    for (char c : text) bars += c == '|' ? 1 : 0;
    if (!text.empty() && text.back() == '|' && bars % 2 == 0) {
        text.pop_back();
        --bars;
    }
    pairs = static_cast<int>((bars + 1) / 2);
    return toWx(text);
}

}  // namespace

WxToolkit::WxToolkit(std::string helpBook, std::string helpViewer)
    : helpBook_(std::move(helpBook)), helpViewer_(std::move(helpViewer)) {}

WxToolkit::~WxToolkit() {
    closeHelp();
    *self_ = nullptr;
}

double WxToolkit::now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void WxToolkit::letEventsRun() {
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (loop == nullptr) return;
    for (int i = 0; i < kMaxEventsPerRun && !abandoned_ && loop->Pending(); ++i) loop->Dispatch();
    if (wxTheApp != nullptr) wxTheApp->ProcessPendingEvents();
}

void WxToolkit::waitUntil(double deadline) { waitUnlessStopped(deadline, {}); }

void WxToolkit::waitUnlessStopped(double deadline, const platform::StopCheck& stopAsked) {
    constexpr int kStopPollMs = 10;
    auto stopped = [&stopAsked] { return stopAsked && stopAsked(); };
    // The timer's milliseconds may end a hair early: wait again for the rest.
    for (double left = deadline - now(); left > 0 && !abandoned_ && !stopped();
         left = deadline - now()) {
        wxGUIEventLoop loop;
        wxTimer timer, poll;
        timer.Bind(wxEVT_TIMER, [&loop](wxTimerEvent&) { loop.ScheduleExit(); });
        timer.StartOnce(static_cast<int>(std::ceil(left * 1000.0)));
        poll.Bind(wxEVT_TIMER, [&loop, &stopped](wxTimerEvent&) {
            if (stopped()) loop.ScheduleExit();
        });
        if (stopAsked) poll.Start(kStopPollMs);
        waits_.push_back(&loop);
        loop.Run();
        waits_.pop_back();
    }
}

void WxToolkit::shortWait(int ms) {
    if (abandoned_) return;
    if (timers_ == nullptr) {
        waitUntil(now() + ms / 1000.0);
        return;
    }
    timers_->startShortTimer(ms);
    while (!abandoned_ && timers_ != nullptr && timers_->shortTimerRunning(ms)) {
        letEventsRun();
        wxMicroSleep(200);
    }
}

void WxToolkit::abandonWaits() {
    abandoned_ = true;
    for (wxEventLoopBase* loop : waits_) loop->ScheduleExit();
}

wxWindow* WxToolkit::dialogParent() const {
    return parent_ != nullptr && parent_->IsShown() ? parent_ : nullptr;
}

MessageAnswer WxToolkit::messageBox(const std::string& text, const std::string& title,
                                    MessageStyle style) {
    if (abandoned_) return defaultAnswer(style);
    wxMessageDialog box(dialogParent(), toWx(text), toWx(title), styleOf(style));
    switch (box.ShowModal()) {
    case wxID_YES: return MessageAnswer::Yes;
    case wxID_NO: return MessageAnswer::No;
    case wxID_OK: return MessageAnswer::Ok;
    default: return defaultAnswer(style);
    }
}

std::optional<std::string> WxToolkit::fileDialog(platform::DialogKind kind,
                                                 const std::string& filter, int filterIndex) {
    if (abandoned_) return std::nullopt;
    int pairs = 0;
    wxString wildcard = wildcardOf(filter, pairs);
    long style = kind == platform::DialogKind::Open ? wxFD_OPEN : wxFD_SAVE;
    wxFileDialog dialog(dialogParent(), wxEmptyString, wxEmptyString, wxEmptyString, wildcard,
                        style);
    dialog.SetFilterIndex(std::clamp(filterIndex - 1, 0, std::max(pairs - 1, 0)));
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    std::string path = fromWx(dialog.GetPath());
    if (path.empty()) return std::nullopt;
    return path;
}

bool WxToolkit::showHelp() {
    if (helpPid_ != 0) return true;
    if (!wxFileName::FileExists(toWx(helpBook_)) || !wxFileName::IsFileExecutable(toWx(helpViewer_)))
        return false;
    auto* process = new wxProcess;
    // The viewer may end after this object is gone: the handler asks first.
    process->Bind(wxEVT_END_PROCESS, [owner = self_, process](wxProcessEvent& event) {
        WxToolkit* toolkit = *owner;
        if (toolkit != nullptr && toolkit->help_ == process) {
            toolkit->help_ = nullptr;
            toolkit->helpPid_ = 0;
        }
        event.Skip();  // the process object deletes itself
    });
    const wxString viewer = toWx(helpViewer_), book = toWx(helpBook_);
    const wxChar* argv[] = {viewer.wc_str(), book.wc_str(), nullptr};
    long pid = wxExecute(argv, wxEXEC_ASYNC, process);
    if (pid <= 0) {
        delete process;
        return false;
    }
    help_ = process;
    helpPid_ = pid;
    return true;
}

void WxToolkit::closeHelp() {
    if (helpPid_ == 0) return;
    help_->Detach();
    wxProcess::Kill(static_cast<int>(helpPid_), wxSIGTERM);
    help_ = nullptr;
    helpPid_ = 0;
}

std::optional<std::string> WxToolkit::clipboardText() {
    wxClipboardLocker lock;
    if (!lock || !wxTheClipboard->IsSupported(wxDF_UNICODETEXT)) return std::nullopt;
    wxTextDataObject data;
    if (!wxTheClipboard->GetData(data)) return std::nullopt;
    return fromWx(data.GetText());
}

void WxToolkit::setClipboardText(const std::string& text) {
    wxClipboardLocker lock;
    if (!lock) return;
    wxTheClipboard->SetData(new wxTextDataObject(toWx(text)));
}

}  // namespace keyloom::ui
