// The engine alone: a macro of "Press_Tab" entries played by
// `keyloom-play --dry-run` with its output going to /dev/null. Entries per
// second over the whole program (start, reading the file, the run), and the
// player's peak memory beside the file's size. For scale, the time to read
// and split the same file in this process and to copy it with cat.
//
//   engine-dry-run [ENTRIES=1000000] [ROUNDS=3]
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "bench/benchTable.h"
#include "files/listReader.h"
#include "support/childProcess.h"

namespace {

using keyloom::test::ChildProcess;
using keyloom::test::monotonicNow;

struct Run {
    double seconds = 0;
    long maxRssKb = 0;
    int status = -1;
};

Run runProgram(const std::vector<std::string>& argv) {
    Run run;
    ChildProcess child;
    double t0 = monotonicNow();
    if (!child.start(argv, nullptr, "/dev/null")) return run;
    auto status = child.wait(600);
    run.seconds = monotonicNow() - t0;
    run.status = status.value_or(-1);
    run.maxRssKb = child.usage().ru_maxrss;
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    const long entries = argc > 1 ? std::atol(argv[1]) : 1000000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;

    char pattern[] = "/tmp/keyloom-bench-XXXXXX";
    std::string dir = mkdtemp(pattern);
    std::string path = dir + "/tabs.tkl";
    {
        std::ofstream out(path, std::ios::binary);
        for (long i = 0; i < entries; ++i) out << "Press_Tab\r\n";
    }
    const double fileMb = static_cast<double>(entries) * 11 / 1e6;

    std::vector<double> playSeconds, readSeconds, catSeconds;
    long maxRss = 0;
    bool ok = true;
    for (int round = 0; round < rounds; ++round) {
        Run play = runProgram({KEYLOOM_PLAY, "--dry-run", path});
        ok = ok && play.status == 0;
        playSeconds.push_back(play.seconds);
        maxRss = std::max(maxRss, play.maxRssKb);
        double t0 = monotonicNow();
        auto list = keyloom::readListFile(path);
        readSeconds.push_back(monotonicNow() - t0);
        ok = ok && list && list->count() == entries;
        catSeconds.push_back(runProgram({"/bin/cat", path}).seconds);
    }
    std::remove(path.c_str());
    rmdir(dir.c_str());

    const double memMb = static_cast<double>(maxRss) * 1024 / 1e6;
    std::printf("Engine: %ld x \"Press_Tab\" (%.1f MB file), keyloom-play --dry-run > /dev/null, "
                "%d rounds\n",
                entries, fileMb, rounds);
    keyloom::bench::Table table;
    table.row({"what", "seconds (median)", "entries/s", "peak memory MB", "memory / file size"});
    table.row({"keyloom-play --dry-run", keyloom::bench::fixed(keyloom::bench::median(playSeconds), 3),
               keyloom::bench::fixed(static_cast<double>(entries) / keyloom::bench::median(playSeconds), 0),
               keyloom::bench::fixed(memMb, 1), keyloom::bench::fixed(memMb / fileMb, 2) + "x"});
    table.row({"read and split the file (in process)",
               keyloom::bench::fixed(keyloom::bench::median(readSeconds), 3),
               keyloom::bench::fixed(static_cast<double>(entries) / keyloom::bench::median(readSeconds), 0),
               "", ""});
    table.row({"cat FILE > /dev/null", keyloom::bench::fixed(keyloom::bench::median(catSeconds), 3),
               "", "", ""});
    table.print();
    bool pass = ok && memMb <= 4 * fileMb;
    std::printf("target: peak memory <= 4x the file's size, player exits 0: %s\n",
                pass ? "met" : "NOT MET");
    return pass ? 0 : 1;
}
