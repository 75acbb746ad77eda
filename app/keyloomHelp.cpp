// keyloom-help BOOK: shows the help book (a .hhp file) at its contents and
// ends when its window is closed. The windowed program starts it for Help,
// Macro Help, so that the help viewer costs nothing until it is asked for.
#include <wx/app.h>
#include <wx/filename.h>
#include <wx/html/helpctrl.h>

#include <memory>

namespace {

class HelpApp final : public wxApp {
public:
    bool OnInit() override {
        if (argc != 2 || !wxFileName::FileExists(argv[1])) return false;
        SetAppName("keyloom");
        help_ = std::make_unique<wxHtmlHelpController>(wxHF_DEFAULT_STYLE);
        if (!help_->AddBook(wxFileName(argv[1]), false)) return false;
        return help_->DisplayContents();
    }

    int OnExit() override {
        help_.reset();
        return wxApp::OnExit();
    }

private:
    std::unique_ptr<wxHtmlHelpController> help_;
};

}  // namespace

wxIMPLEMENT_APP(HelpApp);
