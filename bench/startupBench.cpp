// Start-up: the time from starting keyloom to its main window on the screen,
// beside the same for a wx program that shows one empty frame, in the same
// run, alternating.
//
//   startup-bench [ROUNDS=15]      (needs a display)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "bench/benchTable.h"
#include "bench/startupWatch.h"

int main(int argc, char** argv) {
    using namespace keyloom::bench;
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 15;
    WindowWatch watch;
    if (!watch.ok()) {
        std::fprintf(stderr, "startup-bench: no display\n");
        return 1;
    }
    std::vector<double> keyloom, minimal, ratios, keyloomCpu, minimalCpu;
    // Each program starts alone on a quiet display: the other one has ended
    // and the window manager has let its window go.
    auto startAlone = [&watch](const char* program, const char* title) {
        auto started = watch.start({program}, title);
        if (started) stop(*started);
        usleep(100000);
        return started;
    };
    // One start of each first, unmeasured: the files are in the cache after it.
    for (int round = -1; round < rounds; ++round) {
        // Which program goes first alternates from round to round.
        std::optional<Started> k, m;
        if (round % 2 == 0) {
            k = startAlone(KEYLOOM_BIN, "Tervel's Keyloom");
            m = startAlone(MINIMAL_FRAME_BIN, "Minimal frame");
        } else {
            m = startAlone(MINIMAL_FRAME_BIN, "Minimal frame");
            k = startAlone(KEYLOOM_BIN, "Tervel's Keyloom");
        }
        if (!k || !m) {
            std::fprintf(stderr, "startup-bench: a window did not come up\n");
            return 1;
        }
        if (round < 0) continue;
        keyloom.push_back(k->secondsToShown);
        minimal.push_back(m->secondsToShown);
        ratios.push_back(k->secondsToShown / m->secondsToShown);
        keyloomCpu.push_back(k->cpuSecondsToShown);
        minimalCpu.push_back(m->cpuSecondsToShown);
    }
    // Starts of the two programs alternate: the median of the ratios of each
    // pair is the least disturbed by other work on the machine.
    const double ratio = median(ratios);
    std::printf("Start-up to the main window on the screen, %d starts each (Xvfb + openbox)\n",
                rounds);
    Table table;
    table.row({"program", "median ms", "min ms", "max ms", "CPU ms (median)"});
    table.row({"keyloom", fixed(1000 * median(keyloom), 1), fixed(1000 * percentile(keyloom, 0), 1),
               fixed(1000 * percentile(keyloom, 1), 1), fixed(1000 * median(keyloomCpu), 1)});
    table.row({"minimal wx frame (floor)", fixed(1000 * median(minimal), 1),
               fixed(1000 * percentile(minimal, 0), 1), fixed(1000 * percentile(minimal, 1), 1),
               fixed(1000 * median(minimalCpu), 1)});
    table.print();
    const bool met = ratio <= 1.3;
    std::printf("ratio of medians %.2f; median of paired ratios %.2f; target <= 1.30: %s\n",
                median(keyloom) / median(minimal), ratio, met ? "met" : "NOT MET");
    return met ? 0 : 1;
}
