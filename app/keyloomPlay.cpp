// keyloom-play: runs a macro file against the desktop without windows.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "engine/engine.h"
#include "files/fileRoutine.h"
#include "files/listReader.h"
#include "platform/consoleToolkit.h"
#include "platform/fake/fakePlatform.h"
#include "platform/runStops.h"
#include "platform/systemDesktop.h"

namespace {

using namespace keyloom;

constexpr const char* kUsage =
    "usage: keyloom-play [--dry-run] FILE\n"
    "       keyloom-play --desktop | --stop\n"
    "Runs the macro FILE against the focused window of the desktop: on Linux the\n"
    "native Wayland one in a KDE Plasma or wlroots session, else X11\n"
    "(KEYLOOM_DESKTOP=x11|wayland chooses).\n"
    "  --dry-run  act on nothing: print one line per desktop operation\n"
    "  --desktop  print the desktop chosen and what it can do\n"
    "  --stop     stop every run in progress of this user (bind it to a key)\n"
    "The Pause key, --stop or SIGINT stops the run; a second SIGINT, SIGTERM or SIGHUP\n"
    "ends it at once (exit status 128 + the signal's number). Keys and buttons\n"
    "the macro still holds are released.\n";

// Exit statuses besides 0 (the run ended or was stopped), 1 (no display)
// and 2 (wrong arguments, unreadable file).
constexpr int kFocusDeclined = 3;
constexpr int kOutputFailed = 4;
constexpr int kSignalBase = 128;

int endOfRun(const RunState& state) { return state.focusDeclined ? kFocusDeclined : 0; }

int playDry(RunState& state, LineList& list) {
    platform::useBinaryStandardOutput();
    std::ios::sync_with_stdio(false);
    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    platform::FakePlatform dry(&std::cout);
    Engine engine(state, list, dry, dry);
    engine.warn = [](const std::string& text) { std::cerr << "keyloom-play: " << text << '\n'; };
    engine.command2Click();
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "keyloom-play: cannot write the dry run's output\n";
        return kOutputFailed;
    }
    return endOfRun(state);
}

// The desktop of the session; nothing, with the reason told, when it cannot be reached.
platform::SystemDesktop openDesktop() {
    platform::SystemDesktop chosen = platform::chooseSystemDesktop();
    if (!chosen.notice.empty()) std::cerr << "keyloom-play: " << chosen.notice << '\n';
    if (!chosen.desktop) std::cerr << "keyloom-play: " << chosen.error << '\n';
    return chosen;
}

int describeDesktop() {
    platform::SystemDesktop chosen = openDesktop();
    if (!chosen.desktop) return 1;
    std::cout << "desktop: " << chosen.name << '\n';
    for (const platform::Ability& a : chosen.abilities)
        std::cout << a.what << ": " << (a.can ? "yes" : "no")
                  << (a.why.empty() ? "" : " (" + a.why + ")") << '\n';
    return 0;
}

int playLive(RunState& state, LineList& list) {
    platform::SystemDesktop chosen = openDesktop();
    if (!chosen.desktop) return 1;
    platform::ConsoleToolkit toolkit(std::cerr);
    toolkit.messagePrefix = [&state] {
        return "entry " + std::to_string(state.curEntry + 1) + ": " + state.curToken + ": ";
    };
    Engine engine(state, list, *chosen.desktop, toolkit);
    engine.warn = [](const std::string& text) { std::cerr << "keyloom-play: " << text << '\n'; };
    engine.command2Click();
    if (int signal = toolkit.endingSignal(); signal != 0) return kSignalBase + signal;
    return endOfRun(state);
}

}  // namespace

int main(int argc, char** argv) {
    bool dryRun = false;
    const char* path = nullptr;
    const std::vector<std::string> args = keyloom::platform::programArguments(argc, argv);
    bool options = true;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options && arg == "--dry-run") {
            dryRun = true;
        } else if (options && arg == "--desktop" && args.size() == 2) {
            return describeDesktop();
        } else if (options && arg == "--stop" && args.size() == 2) {
            std::string text;
            const int status = keyloom::platform::reportStops(keyloom::platform::stopEveryRun(), &text);
            (status == 0 ? std::cout : std::cerr) << "keyloom-play: " << text << '\n';
            return status;
        } else if (options && (arg == "--help" || arg == "-h")) {
            std::cout << kUsage;
            return 0;
        } else if (options && arg == "--") {
            options = false;
        } else if ((options && arg.size() > 1 && arg[0] == '-') || path != nullptr) {
            std::cerr << kUsage;
            return 2;
        } else {
            path = args[i].c_str();
        }
    }
    if (path == nullptr) {
        std::cerr << kUsage;
        return 2;
    }
    std::string error;
    std::size_t nonText = 0;
    auto list = keyloom::readListFile(path, &error, &nonText);
    if (!list) {
        std::cerr << "keyloom-play: cannot read " << path << ": " << error << '\n';
        return 2;
    }
    if (nonText != 0)
        std::cerr << "keyloom-play: " << keyloom::fileRoutine::nonTextMessage(path, nonText) << '\n';
    keyloom::RunState state;
    // As after loading a file into the main list.
    state.lastIndex = list->count();
    return dryRun ? playDry(state, *list) : playLive(state, *list);
}
