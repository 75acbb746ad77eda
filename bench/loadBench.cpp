// Loading a large macro file into the main window's list: the program's Load
// (the file routine and the list box filled from its entries) beside the
// toolkit's floor (the same file read whole and the list box's items set in
// one call), alternating in the same run, each until the list is drawn.
//
//   load-bench [LINES=100000] [ROUNDS=7]      (needs a display)
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/ffile.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/tokenzr.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/benchTable.h"
#include "bench/startupWatch.h"
#include "files/fileRoutine.h"
#include "platform/fake/fakePlatform.h"
#include "ui/common/windowRegistry.h"
#include "ui/common/wxToolkit.h"
#include "ui/main/tKeyloomFrame.h"

namespace {

using namespace keyloom;
using bench::monotonicSeconds;

// Until nothing is pending and the window has painted.
void settle(wxWindow* window) {
    window->Update();
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    for (int i = 0; loop != nullptr && i < 10000 && loop->Pending(); ++i) loop->Dispatch();
    wxTheApp->ProcessPendingEvents();
    window->Update();
}

std::string writeMacro(int lines) {
    std::string path = "/tmp/keyloom-load-bench.tkl";
    std::ofstream out(path, std::ios::binary);
    const char* kinds[] = {"Press_Tab", "SendText >entry number ", "Wait >1", "MouseMove >640,",
                           "LClick"};
    for (int i = 0; i < lines; ++i) {
        std::string line = kinds[i % 5];
        if (line.back() == ' ' || line.back() == ',') line += std::to_string(i);
        out << line << "\r\n";
    }
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    const int lines = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
    wxApp::SetInstance(new wxApp);
    int wxArgc = 1;  // the numbers are ours, not the toolkit's
    if (!wxEntryStart(wxArgc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "load-bench: no display\n");
        return 1;
    }
    const std::string path = writeMacro(lines);
    {
        RunState state;
        platform::FakePlatform desktop;
        ui::WxToolkit toolkit("");
        ui::WindowRegistry windows;
        auto* main = new ui::tKeyloomFrame(state, desktop, toolkit, windows);
        main->handlers().Form_Load(false);
        main->Show();
        auto* floorFrame = new wxFrame(nullptr, wxID_ANY, "floor", wxPoint(400, 0));
        auto* floorList = new wxListBox(floorFrame, wxID_ANY, wxPoint(8, 0), wxSize(137, 160));
        floorFrame->Show();
        settle(main);
        settle(floorFrame);

        std::vector<double> ours, floor;
        for (int round = 0; round < rounds; ++round) {
            double t0 = monotonicSeconds();
            main->handlers().loadFile(path);
            settle(main);
            ours.push_back(monotonicSeconds() - t0);

            t0 = monotonicSeconds();
            wxFFile file(path, "rb");
            wxString text;
            file.ReadAll(&text, wxConvUTF8);
            floorList->Set(wxStringTokenize(text, "\r\n", wxTOKEN_STRTOK));
            settle(floorFrame);
            floor.push_back(monotonicSeconds() - t0);

            if (main->listCount() != lines || static_cast<int>(floorList->GetCount()) != lines) {
                std::fprintf(stderr, "load-bench: wrong entry count\n");
                return 1;
            }
            main->listReplace(LineList());
            floorList->Clear();
            settle(main);
            settle(floorFrame);
        }
        const double ratio = bench::median(ours) / bench::median(floor);
        std::printf("Load of a %d-line macro file into the list, %d rounds (Xvfb + openbox)\n",
                    lines, rounds);
        bench::Table table;
        table.row({"way", "median ms", "min ms", "max ms"});
        table.row({"Load (file routine + list)", bench::fixed(1000 * bench::median(ours), 1),
                   bench::fixed(1000 * bench::percentile(ours, 0), 1),
                   bench::fixed(1000 * bench::percentile(ours, 1), 1)});
        table.row({"read whole + Set in one call (floor)",
                   bench::fixed(1000 * bench::median(floor), 1),
                   bench::fixed(1000 * bench::percentile(floor, 0), 1),
                   bench::fixed(1000 * bench::percentile(floor, 1), 1)});
        table.print();
        const bool met = ratio <= 1.5;
        std::printf("ratio %.2f; target <= 1.50: %s\n", ratio, met ? "met" : "NOT MET");
        main->Destroy();
        floorFrame->Destroy();
        settle(floorFrame);
        std::remove(path.c_str());
        wxEntryCleanup();
        return met ? 0 : 1;
    }
}
