// wx in a test program: started once under the display of $DISPLAY with an
// active event loop (the toolkit's letEventsRun and the tests' pumping
// dispatch events), the program's modal dialogs answered from a script, and
// events run by the test until what it waits for has happened.
#pragma once

#include <gtest/gtest.h>
#include <wx/modalhook.h>
#include <wx/timer.h>
#include <wx/window.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

class wxFileDialog;

namespace keyloom::test {

// Answers the program's dialogs: a file dialog is left to appear, then gets
// the next scripted path and OK (none left: Cancel); a message box gets the
// next scripted answer (else its default) without showing. What was asked is
// kept, so that a test expecting no dialog can say so.
class DialogAnswers final : public wxModalDialogHook {
public:
    DialogAnswers();
    void reset() {
        paths.clear();
        answers.clear();
        asked.clear();
    }

    std::deque<std::string> paths;   // for the file dialogs
    std::deque<int> answers;         // wxID_YES, wxID_NO for the message boxes
    std::vector<std::string> asked;  // "open 2 <wildcard>", "save 2 ...", "message <text>"

protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog* dialog) override;

private:
    void answerFileDialog();

    wxTimer timer_;
    wxFileDialog* current_ = nullptr;
    int ticks_ = 0;
};

// The one hook of the test program, installed while wx runs.
DialogAnswers& dialogs();

class WxEnvironment final : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;
};
inline auto* const kWxEnvironment = ::testing::AddGlobalTestEnvironment(new WxEnvironment);

// Runs what is pending now, deletes windows that were closed.
void pump();
// Runs events until `done` holds; false when it does not within the timeout.
bool pumpUntil(const std::function<bool()>& done, double timeoutSeconds = 20);
// Runs events for a while.
void pumpFor(double seconds);
// Waits until `window` has stopped moving on the screen (the window manager
// may place it again after it is shown) and its children are laid out.
void settle(wxWindow* window);
// Runs `action` once, after `seconds`, from whatever event loop runs then.
void after(double seconds, std::function<void()> action);

// A control of `parent` by its design name.
template <typename T = wxWindow>
T* control(wxWindow* parent, const char* name) {
    return dynamic_cast<T*>(wxWindow::FindWindowByName(name, parent));
}

}  // namespace keyloom::test
