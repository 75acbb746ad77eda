// windows-key-throughput [TAPS] [ROUNDS]: a macro of TAPS "Press_Tab" entries
// played by the engine through the Win32 desktop, beside raw keybd_event taps
// of the same key in a tight loop (the floor), both into the probe window in
// its counting mode (it prints nothing per key, so that its output costs
// nothing during a run). Rate = key events over the time until every
// keybd_event call had returned (each one hands its event to the system's
// input queue). After each run the probe must have counted every event, down
// and up in turn on one key. A third row sends the raw taps through the
// Win32 desktop, whose stop-key watch sees every key: the cost of watching.
// The methods take turns in each round after a warm-up, in alternating order;
// the target (the engine at least 90% of the floor) is judged on the best
// rounds, with the medians beside.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "platform/consoleToolkit.h"
#include "platform/win32/win32Desktop.h"
#include "windowsSupport.h"

namespace {

using namespace keyloom;
using namespace std::chrono_literals;

double seconds() {
    LARGE_INTEGER frequency{}, count{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double rawTaps(int taps) {
    double start = seconds();
    for (int i = 0; i < taps; ++i) {
        keybd_event(VK_TAB, 0, 0, 0);
        keybd_event(VK_TAB, 0, KEYEVENTF_KEYUP, 0);
    }
    return seconds() - start;
}

double desktopTaps(int taps) {
    platform::Win32Desktop desktop;
    double start = seconds();
    for (int i = 0; i < taps; ++i) {
        desktop.keybdEvent(VK_TAB, 0, platform::kKeyDown);
        desktop.keybdEvent(VK_TAB, 0, platform::kKeyUp);
    }
    return seconds() - start;
}

double engineTaps(int taps) {
    platform::Win32Desktop desktop;
    platform::ConsoleToolkit toolkit(std::cerr);
    VectorList list(std::vector<std::string>(static_cast<std::size_t>(taps), "Press_Tab"));
    RunState state;
    state.lastIndex = list.count();
    Engine engine(state, list, desktop, toolkit);
    double start = seconds();
    engine.command2Click();
    return seconds() - start;
}

struct Method {
    const char* name;
    double (*run)(int taps);
    std::vector<double> rates;
    bool inOrder = true;
};

double best(const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); }

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The key events the probe counted, and whether they came in order.
std::optional<std::pair<long, bool>> keyCount(test::ProbeProcess& probe) {
    for (const test::ProbeEvent& e : probe.sync(10))
        if (e.kind == "count")
            return std::make_pair(std::atol(e.line.c_str() + 6),
                                  e.line.find(" in-order") != std::string::npos);
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    int taps = argc > 1 ? std::atoi(argv[1]) : 10000;
    int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    if (taps <= 0 || rounds <= 0) {
        std::fprintf(stderr, "usage: windows-key-throughput [TAPS] [ROUNDS]\n");
        return 2;
    }
    test::ProbeProcess probe("Keyloom Key Throughput", {"--count"});
    if (!probe.start()) {
        std::fprintf(stderr, "%s\n", probe.error().c_str());
        return 1;
    }
    const long events = 2L * taps;
    Method methods[] = {{"raw keybd_event taps (floor)", rawTaps, {}},
                        {"engine + Win32 desktop", engineTaps, {}},
                        {"raw taps through the Win32 desktop", desktopTaps, {}}};
    long counted = 0;
    for (int round = 0; round <= rounds; ++round) {  // round 0 warms up
        for (int i = 0; i < 3; ++i) {
            Method& m = methods[round % 2 == 0 ? i : 2 - i];
            double elapsed = m.run(taps);
            counted += events;
            std::optional<std::pair<long, bool>> got;
            test::eventually([&] { return (got = keyCount(probe)) && got->first >= counted; }, 120);
            if (round == 0) continue;
            m.rates.push_back(static_cast<double>(events) / elapsed);
            m.inOrder = m.inOrder && got && got->first == counted && got->second;
        }
    }

    const Method& floor = methods[0];
    std::printf("%d taps (%ld key events) per run, %d rounds, under %s\n\n", taps, events, rounds,
                platform::win32::runningOnWine() ? "Wine" : "Windows");
    std::printf("| sender | events/s best | vs floor | median | vs floor | all arrived in order |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (const Method& m : methods)
        std::printf("| %s | %.0f | %.1f%% | %.0f | %.1f%% | %s |\n", m.name, best(m.rates),
                    100.0 * best(m.rates) / best(floor.rates), median(m.rates),
                    100.0 * median(m.rates) / median(floor.rates), m.inOrder ? "yes" : "NO");
    bool met = best(methods[1].rates) >= 0.9 * best(floor.rates) && floor.inOrder &&
               methods[1].inOrder;
    std::printf("\nTarget (engine at least 90%% of the floor, every event in order): %s\n",
                met ? "met" : "NOT met");
    return met ? 0 : 1;
}
