// Idle cost: keyloom's processor time with the cursor read-out running and
// the cursor still, and its resident memory, beside a wx program that shows
// one empty frame, measured in the same run.
//
//   idle-bench [SECONDS=20]      (needs a display)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "bench/benchTable.h"
#include "bench/startupWatch.h"

namespace {

using namespace keyloom::bench;

struct Idle {
    double cpuPercent = 0;
    long rssKiB = 0;
    long anonKiB = 0;
};

std::optional<Idle> measure(WindowWatch& watch, const char* program, const char* title,
                            double seconds) {
    auto started = watch.start({program}, title);
    if (!started) return std::nullopt;
    usleep(2000000);  // settle: the first layout, fonts, the first ticks
    const double cpu0 = cpuSecondsOf(started->pid), t0 = monotonicSeconds();
    usleep(static_cast<useconds_t>(seconds * 1e6));
    Idle idle;
    idle.cpuPercent = 100 * (cpuSecondsOf(started->pid) - cpu0) / (monotonicSeconds() - t0);
    idle.rssKiB = residentKiB(started->pid);
    idle.anonKiB = residentKiB(started->pid, "RssAnon:");
    stop(*started);
    return idle;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 20;
    WindowWatch watch;
    if (!watch.ok()) {
        std::fprintf(stderr, "idle-bench: no display\n");
        return 1;
    }
    // The first toolkit program on a new display probes its graphics and
    // leaves the answer on the display: that one is not measured.
    if (auto first = watch.start({MINIMAL_FRAME_BIN}, "Minimal frame")) stop(*first);
    auto keyloom = measure(watch, KEYLOOM_BIN, "Tervel's Keyloom", seconds);
    auto minimal = measure(watch, MINIMAL_FRAME_BIN, "Minimal frame", seconds);
    if (!keyloom || !minimal) {
        std::fprintf(stderr, "idle-bench: a window did not come up\n");
        return 1;
    }
    std::printf("Idle for %.0f s after start-up, cursor still (Xvfb + openbox)\n", seconds);
    Table table;
    table.row({"program", "CPU % of a core", "RSS MiB", "of which private MiB"});
    table.row({"keyloom (read-out running)", fixed(keyloom->cpuPercent, 3),
               fixed(static_cast<double>(keyloom->rssKiB) / 1024, 1),
               fixed(static_cast<double>(keyloom->anonKiB) / 1024, 1)});
    table.row({"minimal wx frame (floor)", fixed(minimal->cpuPercent, 3),
               fixed(static_cast<double>(minimal->rssKiB) / 1024, 1),
               fixed(static_cast<double>(minimal->anonKiB) / 1024, 1)});
    table.print();
    const double ratio = static_cast<double>(keyloom->rssKiB) / static_cast<double>(minimal->rssKiB);
    const bool cpuMet = keyloom->cpuPercent <= 0.5, rssMet = ratio <= 1.2;
    std::printf("CPU target <= 0.5%%: %s; RSS ratio %.2f, target <= 1.20: %s\n",
                cpuMet ? "met" : "NOT MET", ratio, rssMet ? "met" : "NOT MET");
    return cpuMet && rssMet ? 0 : 1;
}
