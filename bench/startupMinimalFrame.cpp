// The yardstick of the window benchmarks: a wx program that shows one empty
// frame and nothing else.
#include <wx/app.h>
#include <wx/frame.h>

class MinimalFrameApp final : public wxApp {
public:
    bool OnInit() override {
        (new wxFrame(nullptr, wxID_ANY, "Minimal frame"))->Show();
        return true;
    }
};

wxIMPLEMENT_APP(MinimalFrameApp);
