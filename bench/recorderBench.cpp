// The recorder's two costs, measured on the running display:
//  - one keyboard pass (all 87 keys of the table), against the target of
//    0.5 ms and against asking key by key (87 queries, the other way);
//  - appending a line to the recording in the real recorder window, near the
//    first line and near the 50,000th, against the target of at most 2x.
// Run under a display: bash scripts/with-display.sh build/<dir>/bench/recorder-bench
#include <wx/app.h>
#include <wx/init.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "engine/macroList.h"
#include "platform/fake/fakePlatform.h"
#include "platform/x11/x11Desktop.h"
#include "recorder/keyTable.h"
#include "recorder/samplers.h"
#include "ui/common/services.h"
#include "ui/recorder/mRecordFrame.h"

namespace {

using Clock = std::chrono::steady_clock;

double micros(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

struct Figures {
    double median = 0;
    double mean = 0;
};

Figures measure(int runs, const std::function<void()>& once) {
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        once();
        times.push_back(micros(Clock::now() - start));
    }
    double sum = 0;
    for (double t : times) sum += t;
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], sum / static_cast<double>(times.size())};
}

struct NoLines : keyloom::recorder::Recording {
    void appendLine(std::string_view) override {}
};

bool keyboardPass() {
    using namespace keyloom;
    std::string error;
    auto desktop = platform::X11Desktop::open(nullptr, &error);
    if (!desktop) {
        std::fprintf(stderr, "recorder-bench: %s\n", error.c_str());
        return false;
    }
    platform::FakePlatform toolkit;
    recorder::SamplerState state;
    NoLines lines;
    recorder::Samplers samplers(*desktop, toolkit, state, lines);
    constexpr int kRuns = 2000;
    samplers.keyboardPass();  // opens the connection and reads the keyboard map
    Figures pass = measure(kRuns, [&] { samplers.keyboardPass(); });
    Figures perKey = measure(kRuns / 10, [&] {
        for (const auto& row : recorder::kKeyTable) (void)desktop->getAsyncKeyState(row.vk);
    });
    std::printf("keyboard pass (87 keys)      median %8.1f us  mean %8.1f us   target <= 500 us  %s\n",
                pass.median, pass.mean, pass.median <= 500 ? "ok" : "MISSED");
    std::printf("  key by key (87 queries)    median %8.1f us  mean %8.1f us   (the other way)\n",
                perKey.median, perKey.mean);
    return pass.median <= 500;
}

bool appendCost() {
    using namespace keyloom;
    platform::FakePlatform desktop;
    ui::WxToolkit toolkit("");
    RunState state;
    VectorList list;
    ui::WindowRegistry windows;
    ui::Services services{desktop, toolkit, state, {toolkit, state, list}, windows, [] {}};
    auto* frame = new ui::mRecordFrame(services);
    frame->Show();
    toolkit.letEventsRun();

    constexpr int kBatch = 500;
    constexpr int kLines = 50000;
    const std::string line = "MouseMove >1234,567";
    auto append = [&] {
        frame->appendLine(line);
        toolkit.letEventsRun();
    };
    Figures first = measure(kBatch, append);
    for (int i = kBatch; i < kLines - kBatch / 2; ++i) frame->appendLine(line);
    toolkit.letEventsRun();
    Figures later = measure(kBatch, append);
    double ratio = later.median / first.median;
    std::printf("append, lines 1-%d           median %8.1f us  mean %8.1f us\n", kBatch, first.median,
                first.mean);
    std::printf("append, lines %d-%d   median %8.1f us  mean %8.1f us   ratio %.2f (target <= 2)  %s\n",
                kLines - kBatch / 2, kLines + kBatch / 2, later.median, later.mean, ratio,
                ratio <= 2.0 ? "ok" : "MISSED");
    Figures rewrite = measure(5, [&] {
        frame->setText(frame->text() + line + "\n");
        toolkit.letEventsRun();
    });
    std::printf("  rewriting the whole text   median %8.1f us  mean %8.1f us   at %zu bytes (the other way)\n",
                rewrite.median, rewrite.mean, frame->text().size());
    frame->Destroy();
    return ratio <= 2.0;
}

}  // namespace

int main(int argc, char** argv) {
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "recorder-bench: no display\n");
        return 1;
    }
    wxTheApp->CallOnInit();
    bool ok = keyboardPass();
    ok = appendCost() && ok;
    wxEntryCleanup();
    return ok ? 0 : 1;
}
