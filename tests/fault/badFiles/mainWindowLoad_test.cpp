// Bad macro files loaded into the main window with File, Load (the file
// dialog answered with the file's path): each loads, entry for entry as the
// file has them, and the window stays usable.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/listbox.h>
#include <wx/modalhook.h>
#include <wx/timer.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "badFiles.h"
#include "platform/fake/fakePlatform.h"
#include "ui/common/windowRegistry.h"
#include "ui/common/wxText.h"
#include "ui/common/wxToolkit.h"
#include "ui/main/tKeyloomFrame.h"

namespace keyloom::fault {
namespace {

// Answers the file dialog as a user does: once it shows, the path is typed
// into its location field (Ctrl+L) with real key presses, and Return opens
// it. Any other modal dialog (a message box would be one) is answered
// Cancel without showing, and counted.
class DialogAnswers final : public wxModalDialogHook {
public:
    std::string path;
    int otherDialogs = 0;

protected:
    int Enter(wxDialog* dialog) override {
        if (dynamic_cast<wxFileDialog*>(dialog) == nullptr) {
            ++otherDialogs;
            return wxID_CANCEL;
        }
        typing_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
            const std::string keys = "xdotool key --clearmodifiers ctrl+l && sleep 0.3 && "
                                     "xdotool type --delay 1 '" + path + "' && sleep 0.3 && "
                                     "xdotool key Return";
            if (std::system(keys.c_str()) != 0) ADD_FAILURE() << "xdotool failed";
        });
        typing_.StartOnce(700);
        return wxID_NONE;  // shows the dialog
    }
    void Exit(wxDialog*) override {}

private:
    wxTimer typing_;
};

class WxEnvironment final : public ::testing::Environment {
public:
    void SetUp() override {
        wxApp::SetInstance(new wxApp);
        static char name[] = "test_fault_badFiles";
        static char* argv[] = {name, nullptr};
        int argc = 1;
        ASSERT_TRUE(wxEntryStart(argc, argv)) << "no display";
        ASSERT_TRUE(wxTheApp->CallOnInit());
        // A failed check of the toolkit fails the test instead of waiting
        // in a dialog.
        wxSetAssertHandler([](const wxString& file, int line, const wxString& function,
                              const wxString& condition, const wxString& message) {
            ADD_FAILURE() << "toolkit assertion " << condition << " (" << message << ") in "
                          << function << " at " << file << ":" << line;
        });
    }
    void TearDown() override { wxEntryCleanup(); }
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new WxEnvironment);

// Lets the window handle everything pending and draw itself.
void settle(wxWindow* window) {
    window->Update();
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    for (int i = 0; loop != nullptr && i < 10000 && loop->Pending(); ++i) loop->Dispatch();
    wxTheApp->ProcessPendingEvents();
    window->Update();
}

class BadFileInMainWindow : public ::testing::TestWithParam<std::size_t> {
protected:
    const BadFile& file() const { return badFiles().at(GetParam()); }
};

TEST_P(BadFileInMainWindow, LoadsEveryEntryAndStaysUsable) {
#ifdef __SANITIZE_ADDRESS__
    if (std::string(file().name) == "HundredMegabytes")
        GTEST_SKIP() << "a capacity case: minutes under the sanitizers";
#endif
    RunState state;
    platform::FakePlatform desktop;
    ui::WxToolkit toolkit("");
    ui::WindowRegistry windows;
    auto* frame = new ui::tKeyloomFrame(state, desktop, toolkit, windows);
    ASSERT_TRUE(frame->handlers().Form_Load(false));
    frame->Show();
    settle(frame);
    DialogAnswers answers;
    answers.path = file().path;
    answers.Register();

    const auto start = std::chrono::steady_clock::now();
    frame->handlers().load_Click();
    settle(frame);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    answers.Unregister();
    std::printf("%s: %lld entries loaded and drawn in %.2f s\n", file().name,
                static_cast<long long>(frame->listCount()), seconds);

    EXPECT_EQ(answers.otherDialogs, file().messages);
    ASSERT_EQ(frame->listCount(), static_cast<Index>(file().entries));
    EXPECT_EQ(state.lastIndex, frame->listCount());
    for (std::size_t i = 0; i < file().first.size(); ++i)
        EXPECT_TRUE(frame->listEntry(static_cast<Index>(i)) == file().first[i]) << "entry " << i;

    // Still usable: the list is cleared and built again.
    frame->handlers().clear_Click();
    settle(frame);
    EXPECT_EQ(frame->listCount(), 0);
    frame->Destroy();
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    for (int i = 0; loop != nullptr && i < 10000 && loop->Pending(); ++i) loop->Dispatch();
    wxTheApp->ProcessIdle();
}

INSTANTIATE_TEST_SUITE_P(Fault, BadFileInMainWindow, ::testing::Range<std::size_t>(0, badFiles().size()),
                         [](const ::testing::TestParamInfo<std::size_t>& p) {
                             return std::string(badFiles().at(p.param).name);
                         });

}  // namespace
}  // namespace keyloom::fault
