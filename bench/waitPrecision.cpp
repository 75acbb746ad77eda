// Wait precision: "Wait >1" entries (a pause of half a second each) played by
// the engine with the player's toolkit, taking turns with the floor of bare
// absolute sleeps of the same length on the same clock. Lateness is the time
// from a pause's due moment to its end (p99 of 50 is the largest); CPU is the
// process's user + system time over the wall time.
//
//   wait-precision [WAITS=50]      (needs a display)
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

// The player's event loop, noting when each pause was due and when it ended.
class TimedLoop final : public platform::EventLoop {
public:
    explicit TimedLoop(platform::EventLoop& inner) : inner_(inner) {}
    std::vector<double> lateness;  // seconds; negative = early

    double now() override { return inner_.now(); }
    void letEventsRun() override { inner_.letEventsRun(); }
    void waitUntil(double deadline) override { waitUnlessStopped(deadline, {}); }
    void waitUnlessStopped(double deadline, const platform::StopCheck& stopAsked) override {
        inner_.waitUnlessStopped(deadline, stopAsked);
        lateness.push_back(inner_.now() - deadline);
    }
    void shortWait(int ms) override { inner_.shortWait(ms); }
    platform::StopRequest pendingStop() override { return inner_.pendingStop(); }

private:
    platform::EventLoop& inner_;
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

// One bare sleep of half a second to an absolute deadline; its lateness.
double floorSleep() {
    double due = monotonic() + 0.5;
    timespec until{};
    until.tv_sec = static_cast<time_t>(due);
    until.tv_nsec = static_cast<long>((due - static_cast<double>(until.tv_sec)) * 1e9);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) != 0) {
    }
    return monotonic() - due;
}

void addRow(bench::Table& table, const std::string& name, const Figures& f) {
    int early = 0, over2ms = 0;
    for (double l : f.lateness) {
        early += l < 0 ? 1 : 0;
        over2ms += l > 0.002 ? 1 : 0;
    }
    table.row({name, std::to_string(f.lateness.size()), std::to_string(over2ms),
               bench::fixed(1000 * bench::median(f.lateness), 3),
               bench::fixed(1000 * bench::percentile(f.lateness, 0.99), 3),
               bench::fixed(1000 * bench::percentile(f.lateness, 1), 3), std::to_string(early),
               bench::fixed(f.cpuPercent, 3)});
}

}  // namespace

int main(int argc, char** argv) {
    const int waits = argc > 1 ? std::atoi(argv[1]) : 50;

    std::string error;
    auto desktop = platform::X11Desktop::open(nullptr, &error);
    if (!desktop) {
        std::cerr << "wait-precision: " << error << '\n';
        return 1;
    }
    platform::ConsoleToolkit console(std::cerr);
    TimedLoop loop(console);
    RunState state;
    VectorList list(std::vector<std::string>{"Wait >1"});
    Engine engine(state, list, *desktop, {loop, console});

    // The engine's waits and the bare sleeps take turns, so that both meet
    // the same load on the machine; CPU is counted over each side's turns.
    Figures played, floor;
    double playedCpu = 0, playedWall = 0, floorCpu = 0, floorWall = 0;
    for (int i = 0; i < waits; ++i) {
        double cpu0 = cpuSeconds(), t0 = monotonic();
        state.lastIndex = list.count();
        engine.command2Click();
        double cpu1 = cpuSeconds(), t1 = monotonic();
        floor.lateness.push_back(floorSleep());
        playedCpu += cpu1 - cpu0;
        playedWall += t1 - t0;
        floorCpu += cpuSeconds() - cpu1;
        floorWall += monotonic() - t1;
    }
    played.lateness = loop.lateness;
    played.cpuPercent = 100 * playedCpu / playedWall;
    floor.cpuPercent = 100 * floorCpu / floorWall;

    std::printf("Wait precision: %d x \"Wait >1\" (0.5 s each) through the player's toolkit\n",
                waits);
    bench::Table table;
    table.row({"waiter", "pauses", "over 2 ms", "lateness p50 ms", "p99 ms", "max ms", "early",
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
