#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>

#include "platform/runStops.h"
#include "platform/systemDesktop.h"
#include "platform/win32/win32Desktop.h"
#include "platform/win32/win32Text.h"

namespace keyloom::platform {

SystemDesktop chooseSystemDesktop() {
    SystemDesktop chosen;
    chosen.desktop = std::make_unique<Win32Desktop>();
    chosen.name = "win32";
    chosen.abilities = allAbilities();
    return chosen;
}

std::vector<std::string> programArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i) args.push_back(win32::toUtf8(wide[i]));
    LocalFree(wide);
    return args;
}

// Windows sees the Pause key wherever the focus is: it stops a run there.
StopOutcome stopEveryRun() {
    return {0, "not on Windows: the Pause key stops a run wherever the focus is"};
}

void useBinaryStandardOutput() {
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace keyloom::platform
