// Wait precision: "Wait >1" entries (a pause of half a second each) played by
// the engine with the player's toolkit, beside the floor of bare absolute
// sleeps on the same clock. Lateness is the time from a pause's due moment to
// its end; CPU is the process's user + system time over the wall time.
//
//   wait-precision [WAITS=50] [FLOOR_SLEEPS=20]      (needs a display)
#include <sys/resource.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "bench/benchTable.h"
#include "engine/engine.h"
#include "platform/consoleToolkit.h"
#include "platform/x11/x11Desktop.h"

namespace {

using namespace keyloom;

// The player's toolkit, noting when each pause was due and when it ended.
class TimedToolkit final : public platform::Toolkit {
public:
    explicit TimedToolkit(platform::Toolkit& inner) : inner_(inner) {}
    std::vector<double> lateness;  // seconds; negative = early

    double now() override { return inner_.now(); }
    void letEventsRun() override { inner_.letEventsRun(); }
    void waitUntil(double deadline) override {
        inner_.waitUntil(deadline);
        lateness.push_back(inner_.now() - deadline);
    }
    void shortWait(int ms) override { inner_.shortWait(ms); }
    platform::MessageAnswer messageBox(const std::string& t, const std::string& c,
                                       platform::MessageStyle s) override {
        return inner_.messageBox(t, c, s);
    }
    std::optional<std::string> fileDialog(platform::DialogKind k, const std::string& f,
                                          int i) override {
        return inner_.fileDialog(k, f, i);
    }
    bool showHelp() override { return inner_.showHelp(); }
    std::optional<std::string> clipboardText() override { return inner_.clipboardText(); }
    void setClipboardText(const std::string& t) override { inner_.setClipboardText(t); }
    platform::StopRequest pendingStop() override { return inner_.pendingStop(); }

private:
    platform::Toolkit& inner_;
};

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& tv) {
        return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double monotonic() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

struct Figures {
    std::vector<double> lateness;
    double cpuPercent = 0;
};

Figures floorSleeps(int count) {
    Figures f;
    double cpu0 = cpuSeconds(), t0 = monotonic();
    for (int i = 0; i < count; ++i) {
        double due = monotonic() + 0.5;
        timespec until{static_cast<time_t>(due), static_cast<long>((due - static_cast<double>(static_cast<time_t>(due))) * 1e9)};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) != 0) {
        }
        f.lateness.push_back(monotonic() - due);
    }
    f.cpuPercent = 100 * (cpuSeconds() - cpu0) / (monotonic() - t0);
    return f;
}

void addRow(bench::Table& table, const std::string& name, const Figures& f) {
    int early = 0;
    for (double l : f.lateness) early += l < 0 ? 1 : 0;
    table.row({name, std::to_string(f.lateness.size()),
               bench::fixed(1000 * bench::median(f.lateness), 3),
               bench::fixed(1000 * bench::percentile(f.lateness, 0.99), 3),
               bench::fixed(1000 * bench::percentile(f.lateness, 1), 3), std::to_string(early),
               bench::fixed(f.cpuPercent, 3)});
}

}  // namespace

int main(int argc, char** argv) {
    const int waits = argc > 1 ? std::atoi(argv[1]) : 50;
    const int floorCount = argc > 2 ? std::atoi(argv[2]) : 20;

    std::string error;
    auto desktop = platform::X11Desktop::open(nullptr, &error);
    if (!desktop) {
        std::cerr << "wait-precision: " << error << '\n';
        return 1;
    }
    platform::ConsoleToolkit console(std::cerr);
    TimedToolkit toolkit(console);
    RunState state;
    VectorList list(std::vector<std::string>(static_cast<std::size_t>(waits), "Wait >1"));
    Engine engine(state, list, *desktop, toolkit);

    Figures played;
    double cpu0 = cpuSeconds(), t0 = monotonic();
    state.lastIndex = list.count();
    engine.command2Click();
    played.cpuPercent = 100 * (cpuSeconds() - cpu0) / (monotonic() - t0);
    played.lateness = toolkit.lateness;
    Figures floor = floorSleeps(floorCount);

    std::printf("Wait precision: %d x \"Wait >1\" (0.5 s each) through the player's toolkit\n",
                waits);
    bench::Table table;
    table.row({"waiter", "pauses", "lateness p50 ms", "p99 ms", "max ms", "early",
               "CPU % of a core"});
    addRow(table, "engine + player toolkit", played);
    addRow(table, "bare clock_nanosleep (floor)", floor);
    table.print();
    int early = 0;
    for (double l : played.lateness) early += l < 0 ? 1 : 0;
    bool pass = static_cast<int>(played.lateness.size()) == waits &&
                bench::percentile(played.lateness, 0.99) <= 0.002 && early == 0 &&
                played.cpuPercent <= 1.0;
    std::printf("target: p99 lateness <= 2 ms, never early, CPU <= 1%% of a core: %s\n",
                pass ? "met" : "NOT MET");
    return pass ? 0 : 1;
}
