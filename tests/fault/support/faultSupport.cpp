#include <gtest/gtest.h>  // first: before Xlib's macros

#include "fault/support/faultSupport.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace keyloom::fault {

PrivateDisplay::PrivateDisplay() {
    std::string error;
    // Xvfb reports each display number it finds taken: not of interest here.
    // Without -noreset the server starts over whenever its last client has
    // gone, and drops a connection that comes meanwhile: a program started
    // while the test's own short connection closes could not open it.
    if (!server_.start({"/bin/sh", "-c",
                        "exec Xvfb -displayfd 1 -noreset -nolisten tcp -screen 0 800x600x24 "
                        "2>/dev/null"},
                       &error))
        return;
    if (auto line = server_.readLine(15.0)) name_ = ":" + *line;
}

PrivateDisplay::~PrivateDisplay() { kill(); }

bool PrivateDisplay::kill() {
    if (!server_.running()) return true;
    server_.signal(SIGKILL);
    return server_.wait(10.0).has_value();
}

std::vector<std::string> commandLine(const Launch& launch, const std::vector<std::string>& argv) {
    std::vector<std::string> line = {"/usr/bin/env",
                                     "DISPLAY=" + launch.display,
                                     "HOME=" + launch.home,
                                     "XDG_RUNTIME_DIR=" + launch.home,
                                     "GSETTINGS_BACKEND=memory",
                                     "NO_AT_BRIDGE=1",
                                     "KEYLOOM_STDERR=" + launch.stderrFile,
                                     "/bin/sh",
                                     "-c",
                                     "exec \"$0\" \"$@\" 2>\"$KEYLOOM_STDERR\""};
    line.insert(line.end(), argv.begin(), argv.end());
    return line;
}

std::string shell(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string out;
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) out += buffer;
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

unsigned long windowOf(long pid, double timeoutSeconds, const std::string& display) {
    const std::string command = (display.empty() ? "" : "DISPLAY=" + display + " ") +
                                "xdotool search --all --onlyvisible --pid " + std::to_string(pid) +
                                " --name '^Tervel.s Keyloom$' 2>/dev/null | head -n1";
    unsigned long window = 0;
    test::eventually(
        [&] { return (window = std::strtoul(shell(command).c_str(), nullptr, 10)) != 0; },
        timeoutSeconds);
    return window;
}

void clickButton(const std::string& display, unsigned long window, bool stop) {
    const int clientX = 152 + 24, clientY = stop ? 72 + 56 : 16 + 24;
    const std::string env = "DISPLAY=" + display + " ";
    std::istringstream geometry(shell(env + "xdotool getwindowgeometry --shell " +
                                      std::to_string(window)));
    int x = 0, y = 0, height = 0;
    for (std::string line; std::getline(geometry, line);) {
        if (line.rfind("X=", 0) == 0) x = std::atoi(line.c_str() + 2);
        if (line.rfind("Y=", 0) == 0) y = std::atoi(line.c_str() + 2);
        if (line.rfind("HEIGHT=", 0) == 0) height = std::atoi(line.c_str() + 7);
    }
    shell(env + "xdotool mousemove " + std::to_string(x + clientX) + " " +
          std::to_string(y + height - 260 + clientY) + " click 1");
}

::testing::AssertionResult MacroRun::start(const Launch& where, bool withWindow,
                                      const std::vector<std::string>& args) {
    launch = where;
    std::vector<std::string> argv = {withWindow ? KEYLOOM_BIN : KEYLOOM_PLAY};
    argv.insert(argv.end(), args.begin(), args.end());
    std::string error;
    if (!process.start(commandLine(launch, argv), &error))
        return ::testing::AssertionFailure() << error;
    if (withWindow && (window = windowOf(process.pid(), 60, launch.display)) == 0)
        return ::testing::AssertionFailure() << "the main window did not show";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult MacroRun::began(std::pair<int, int> at, double seconds) {
    if (test::eventually(
            [&] {
                if (window != 0) clickButton(launch.display, window, false);
                return test::eventually([&] { return pointerOn(launch.display) == at; }, 2);
            },
            seconds))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the run did not begin"
                                         << (process.wait(0) ? "; the program ended: " : ": ")
                                         << readFile(launch.stderrFile);
}

void askToClose(Display* display, unsigned long window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
}

std::pair<int, int> pointerOn(const std::string& display) {
    test::XConnection connection(display);
    if (connection.get() == nullptr) return {-1, -1};
    Window root = 0, child = 0;
    int x = -1, y = -1, wx = 0, wy = 0;
    unsigned mask = 0;
    XQueryPointer(connection.get(), DefaultRootWindow(connection.get()), &root, &child, &x, &y,
                  &wx, &wy, &mask);
    return {x, y};
}

std::string heldInput(Display* display) {
    std::string text;
    for (unsigned k : test::keysDown(display)) text += " " + std::to_string(k);
    if (!text.empty()) text = "keycodes down:" + text + "; ";
    if (unsigned buttons = test::buttonsDown(display))
        text += "button mask " + std::to_string(buttons);
    return text;
}

}  // namespace keyloom::fault
