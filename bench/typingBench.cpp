// Typing speed: SendText through the X11 desktop beside `xdotool type`, both
// into the same xterm running `cat >> FILE`, in the same run. A run's time is
// from the start of the typing until the file holds the whole text with every
// character correct. Two workloads: ASCII text (beside `xdotool type --delay
// 0`) and text of characters no keyboard map has (beside `xdotool type --delay
// 12`), which both type through keycodes bound for the moment. For ASCII the
// floor is shown too: raw XTest taps in one batch. The methods take turns in
// each round, and the target is judged on the median of the rounds' ratios
// (each pair ran one after the other, on the machine as it was then). Each
// round starts with a fresh desktop, so our spare keycodes are bound from
// nothing every time. The window manager's processor time during each run is
// shown too: every keyboard map change makes it grab its key bindings again.
//
//   typing-bench [ASCII=5000] [UNICODE=500] [ROUNDS=5]      (needs a display)
//   TYPING_BENCH_ROUNDS=1 typing-bench ...                 (also prints every round)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/extensions/XRes.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "actions/keyString.h"
#include "bench/benchTable.h"
#include "platform/x11/x11Desktop.h"
#include "support/fileBytes.h"
#include "x11/support/offMapText.h"
#include "support/childProcess.h"
#include "x11/support/xState.h"

namespace {

using namespace keyloom;
using keyloom::test::monotonicNow;

constexpr double kGiveUpSeconds = 30;

using test::activeWindow;
using test::readFile;
using test::windowTitle;

// The window manager's process (through its check window), 0 when unknown.
long windowManagerPid(Display* display) {
    Atom type = 0;
    int format = 0;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    Window check = 0;
    if (XGetWindowProperty(display, DefaultRootWindow(display),
                           XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False), 0, 1, False,
                           XA_WINDOW, &type, &format, &n, &after, &data) == Success &&
        data != nullptr && n == 1)
        check = *reinterpret_cast<Window*>(data);
    if (data != nullptr) XFree(data);
    if (check == 0) return 0;
    XResClientIdSpec idSpec{check, XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue* ids = nullptr;
    long pid = 0;
    if (XResQueryClientIds(display, 1, &idSpec, &count, &ids) == Success) {
        for (long i = 0; i < count && pid <= 0; ++i) pid = XResGetClientPid(&ids[i]);
        XResClientIdsDestroy(count, ids);
    }
    return pid;
}

// Processor seconds a process has used (user + system), 0 when unknown.
double cpuSeconds(long pid) {
    if (pid <= 0) return 0;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    std::size_t close = line.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Processor seconds this process has used.
double ownCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The xterm that receives the text.
class Terminal {
public:
    explicit Terminal(Display* display) : display_(display) {
        char pattern[] = "/tmp/keyloom-typing-bench-XXXXXX";
        const char* made = mkdtemp(pattern);
        dir_ = made != nullptr ? made : "/tmp";
        file_ = dir_ + "/received";
    }
    ~Terminal() {
        process_.signal(SIGTERM);
        process_.wait(10);
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    bool start(std::string* error) {
        // O_APPEND: emptying the file between runs starts it afresh.
        std::vector<std::string> argv = {
            "/usr/bin/env", "LC_ALL=C.UTF-8", "xterm", "-u8", "-T", kTitle, "-e", "/bin/sh", "-c",
            "stty -icanon -echo -isig -ixon -iexten; exec cat >> '" + file_ + "'"};
        if (!process_.start(argv, error, "/dev/null")) return false;
        const double deadline = monotonicNow() + 20;
        while (monotonicNow() < deadline) {
            for (Window w : test::clientWindows(display_))
                if (windowTitle(display_, w) == kTitle) window_ = w;
            if (window_ != 0 && std::filesystem::exists(file_)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        *error = "the xterm did not appear";
        return false;
    }
    // Empties the file and gives the terminal the focus.
    bool prepare() {
        std::ofstream(file_, std::ios::trunc);
        std::string unused;
        auto desktop = platform::X11Desktop::open(nullptr, &unused);
        for (int i = 0; i < 100; ++i) {
            if (activeWindow(display_) == window_) return true;
            if (desktop) desktop->activateWindow(kTitle);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    // Seconds from `t0` until the file holds `expected`; negative when it
    // never does (then `got` is what it holds): it has grown past it, or it
    // stayed the same for a second once `sent` says everything was sent.
    double waitFor(const std::string& expected, double t0, const std::function<bool()>& sent,
                   std::string* got) const {
        std::uintmax_t lastSize = 0;
        double lastChange = t0;
        for (;;) {
            std::error_code ec;
            std::uintmax_t size = std::filesystem::file_size(file_, ec);
            double now = monotonicNow();
            if (!ec && size >= expected.size()) {
                *got = readFile(file_);
                if (*got == expected) return now - t0;
                if (got->size() > expected.size()) return -1;
            }
            if (!ec && size != lastSize) {
                lastSize = size;
                lastChange = now;
            }
            if ((now - lastChange > 1 && sent()) || now - t0 > kGiveUpSeconds) {
                *got = readFile(file_);
                return -1;
            }
            timespec pause{0, 200000};
            nanosleep(&pause, nullptr);
        }
    }

private:
    static constexpr const char* kTitle = "Keyloom typing bench";
    Display* display_;
    std::string dir_;
    std::string file_;
    test::ChildProcess process_;
    Window window_ = 0;
};

// Plain text in the key-string notation: its special characters in braces.
std::string inNotation(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (std::string("+^%~(){}[]").find(c) != std::string::npos)
            out += std::string("{") + c + "}";
        else
            out += c;
    }
    return out;
}

std::string asciiText(std::size_t count) {
    const std::string pool =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,;:!?'\"@#$&*-_=/\\|<>`"
        "+^%~(){}[]";
    std::string out;
    std::uint32_t state = 4711;
    for (std::size_t i = 0; i < count; ++i) {
        state = state * 1103515245U + 12345U;
        out += pool[(state >> 16) % pool.size()];
    }
    return out;
}

// Characters of `got` that differ from `expected` (code points), counting a
// missing or extra tail as different.
std::size_t wrongCharacters(const std::string& got, const std::string& expected) {
    auto points = [](const std::string& s) {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < s.size();) {
            std::size_t n = 1;
            auto b = static_cast<unsigned char>(s[i]);
            if (b >= 0xF0) n = 4;
            else if (b >= 0xE0) n = 3;
            else if (b >= 0xC0) n = 2;
            out.push_back(s.substr(i, n));
            i += n;
        }
        return out;
    };
    auto a = points(got), b = points(expected);
    std::size_t wrong = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) wrong += a[i] != b[i];
    return wrong;
}

struct Result {
    double seconds = -1;  // until the whole text was there, correct; < 0: never
    double sendSeconds = 0;
    double wmSeconds = 0;  // window manager processor time meanwhile
    double ownSeconds = 0;  // the typist's own processor time
    std::size_t wrong = 0;
};

Result typeWithKeyloom(Terminal& term, const std::string& text, long wm) {
    Result r;
    KeyStringResult parsed = parseKeyString(inNotation(text));
    std::string error;
    auto desktop = platform::X11Desktop::open(nullptr, &error);
    if (!parsed.error.empty() || !desktop) {
        std::cerr << "typing-bench: " << parsed.error << error << '\n';
        return r;
    }
    double cpu0 = cpuSeconds(wm);
    double own0 = ownCpuSeconds();
    double t0 = monotonicNow();
    desktop->typeKeys(text, parsed.strokes, {});
    desktop->sync();
    r.sendSeconds = monotonicNow() - t0;
    r.ownSeconds = ownCpuSeconds() - own0;
    std::string got;
    r.seconds = term.waitFor(text, t0, [] { return true; }, &got);
    if (r.seconds < 0) r.wrong = wrongCharacters(got, text);
    r.wmSeconds = cpuSeconds(wm) - cpu0;
    desktop.reset();  // the spare keycodes go back: the next round starts afresh
    return r;
}

Result typeWithXdotool(Terminal& term, const std::string& text, int delay, long wm) {
    Result r;
    test::ChildProcess xdotool;
    double cpu0 = cpuSeconds(wm);
    double t0 = monotonicNow();
    std::string error;
    if (!xdotool.start({"/usr/bin/xdotool", "type", "--delay", std::to_string(delay), "--", text},
                       &error, "/dev/null")) {
        std::cerr << "typing-bench: xdotool: " << error << '\n';
        return r;
    }
    bool ended = false;
    double endedAt = 0;
    auto sent = [&] {
        if (!ended && xdotool.wait(0)) {
            ended = true;
            endedAt = monotonicNow();
        }
        return ended;
    };
    std::string got;
    r.seconds = term.waitFor(text, t0, sent, &got);
    if (!ended) xdotool.wait(kGiveUpSeconds);
    r.sendSeconds = (ended ? endedAt : monotonicNow()) - t0;
    const rusage& usage = xdotool.usage();
    r.ownSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (r.seconds < 0) r.wrong = wrongCharacters(got, text);
    r.wmSeconds = cpuSeconds(wm) - cpu0;
    return r;
}

// The floor for ASCII text: XTest taps of each character's key (with Shift
// where the map needs it) sent in one batch on a connection of its own.
Result typeWithRawXTest(Terminal& term, const std::string& text, long wm) {
    Result r;
    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr) return r;
    const KeyCode shift = XKeysymToKeycode(d, XK_Shift_L);
    double cpu0 = cpuSeconds(wm);
    double own0 = ownCpuSeconds();
    double t0 = monotonicNow();
    for (char c : text) {
        KeySym keysym = c == ' ' ? XK_space : static_cast<KeySym>(static_cast<unsigned char>(c));
        KeyCode kc = XKeysymToKeycode(d, keysym);
        bool shifted = XkbKeycodeToKeysym(d, kc, 0, 0) != keysym;
        if (shifted) XTestFakeKeyEvent(d, shift, True, CurrentTime);
        XTestFakeKeyEvent(d, kc, True, CurrentTime);
        XTestFakeKeyEvent(d, kc, False, CurrentTime);
        if (shifted) XTestFakeKeyEvent(d, shift, False, CurrentTime);
    }
    XSync(d, False);
    r.sendSeconds = monotonicNow() - t0;
    r.ownSeconds = ownCpuSeconds() - own0;
    std::string got;
    r.seconds = term.waitFor(text, t0, [] { return true; }, &got);
    if (r.seconds < 0) r.wrong = wrongCharacters(got, text);
    r.wmSeconds = cpuSeconds(wm) - cpu0;
    XCloseDisplay(d);
    return r;
}

struct Method {
    std::string name;
    std::function<Result()> run;
};

// The best of the rounds (the one least disturbed by other work on the
// machine); < 0 when a round never got the text right.
double best(const std::vector<Result>& results) {
    double out = 1e9;
    for (const Result& r : results) {
        if (r.seconds < 0) return -1;
        out = std::min(out, r.seconds);
    }
    return out;
}

double medianOf(const std::vector<Result>& results, double Result::*field) {
    std::vector<double> values;
    for (const Result& r : results) values.push_back(r.*field);
    return bench::median(values);
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t asciiCount = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 5000;
    const std::size_t unicodeCount = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 500;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;

    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::cerr << "typing-bench: no display\n";
        return 1;
    }
    Terminal term(display);
    std::string error;
    if (!term.start(&error)) {
        std::cerr << "typing-bench: " << error << '\n';
        return 1;
    }
    const long wm = windowManagerPid(display);
    const std::string ascii = asciiText(asciiCount);
    const std::string offMap = test::mixedOffMapText(unicodeCount);
    struct Workload {
        std::string name;
        std::size_t characters;
        double factor;  // the target: at least this many times as fast as xdotool
        std::vector<Method> methods;  // Keyloom first, xdotool second
    };
    const std::vector<Workload> workloads = {
        {std::to_string(asciiCount) + " ASCII characters", asciiCount, 10,
         {{"Keyloom SendText", [&] { return typeWithKeyloom(term, ascii, wm); }},
          {"xdotool type --delay 0", [&] { return typeWithXdotool(term, ascii, 0, wm); }},
          {"raw XTest, batched (floor)", [&] { return typeWithRawXTest(term, ascii, wm); }}}},
        {std::to_string(unicodeCount) + " characters off the map", unicodeCount, 5,
         {{"Keyloom SendText", [&] { return typeWithKeyloom(term, offMap, wm); }},
          {"xdotool type --delay 12", [&] { return typeWithXdotool(term, offMap, 12, wm); }}}},
    };

    bool pass = true;
    bench::Table table;
    table.row({"workload", "typist", "best s", "median s", "sent in (median)", "chars/s (best)",
               "wrong chars (worst)", "typist CPU s", "window manager CPU s",
               "vs xdotool (median of rounds)"});
    std::vector<std::string> verdicts;
    for (const Workload& w : workloads) {
        if (w.characters == 0) continue;
        std::vector<std::vector<Result>> results(w.methods.size());
        for (int round = 0; round < rounds; ++round) {
            for (std::size_t k = 0; k < w.methods.size(); ++k) {
                std::size_t m = (k + static_cast<std::size_t>(round)) % w.methods.size();
                if (!term.prepare()) {
                    std::cerr << "typing-bench: the xterm does not get the focus\n";
                    return 1;
                }
                results[m].push_back(w.methods[m].run());
                if (std::getenv("TYPING_BENCH_ROUNDS") != nullptr)
                    std::fprintf(stderr, "round %d %s: %.3f s\n", round, w.methods[m].name.c_str(),
                                 results[m].back().seconds);
                std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the desktop settles
            }
        }
        // Rounds are compared in pairs (the two ran one after the other, on
        // the machine as it was then), and the median of the ratios judged.
        // xdotool's time: until the text was there or, when it gets the text
        // wrong, until it was done sending.
        std::vector<double> ratios;
        bool oursCorrect = true;
        for (int round = 0; round < rounds; ++round) {
            const Result& ours = results[0][static_cast<std::size_t>(round)];
            const Result& xdo = results[1][static_cast<std::size_t>(round)];
            oursCorrect = oursCorrect && ours.seconds > 0;
            if (ours.seconds > 0)
                ratios.push_back((xdo.seconds >= 0 ? xdo.seconds : xdo.sendSeconds) / ours.seconds);
        }
        const double ratio = oursCorrect ? bench::median(ratios) : 0;
        for (std::size_t m = 0; m < w.methods.size(); ++m) {
            const double b = best(results[m]);
            std::size_t wrong = 0;
            for (const Result& r : results[m]) wrong = std::max(wrong, r.wrong);
            table.row({w.name, w.methods[m].name, b < 0 ? "never correct" : bench::fixed(b, 3),
                       b < 0 ? "-" : bench::fixed(medianOf(results[m], &Result::seconds), 3),
                       bench::fixed(medianOf(results[m], &Result::sendSeconds), 3),
                       b < 0 ? "-" : bench::fixed(static_cast<double>(w.characters) / b, 0),
                       std::to_string(wrong), bench::fixed(medianOf(results[m], &Result::ownSeconds), 3),
                       bench::fixed(medianOf(results[m], &Result::wmSeconds), 2),
                       m == 0 ? bench::fixed(ratio, 1) + "x" : ""});
        }
        const bool met = oursCorrect && ratio >= w.factor;
        char line[256];
        std::snprintf(line, sizeof line,
                      "%s: target Keyloom >= %.0fx %s, every character correct: %s (%.1fx)",
                      w.name.c_str(), w.factor, w.methods[1].name.c_str(), met ? "met" : "NOT MET",
                      ratio);
        verdicts.push_back(line);
        pass = pass && met;
    }
    std::printf("Typing into xterm running cat, %d rounds\n", rounds);
    table.print();
    for (const std::string& v : verdicts) std::printf("%s\n", v.c_str());
    XCloseDisplay(display);
    return pass ? 0 : 1;
}
