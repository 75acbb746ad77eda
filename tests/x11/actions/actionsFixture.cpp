#include "actionsFixture.h"

#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/x11/x11StopKey.h"
#include "x11/support/rawInput.h"

namespace keyloom::test {

TempDir::TempDir() {
    char pattern[] = "/tmp/keyloom-actions-XXXXXX";
    const char* made = mkdtemp(pattern);
    path_ = made != nullptr ? made : "/tmp";
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

namespace {
int ignoreError(Display*, XErrorEvent*) { return 0; }
}  // namespace

IgnoreXErrors::IgnoreXErrors(Display* display) : display_(display) {
    XSync(display_, False);
    previous_ = XSetErrorHandler(ignoreError);
}

IgnoreXErrors::~IgnoreXErrors() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
}

Window windowTitled(Display* display, const std::string& title) {
    IgnoreXErrors ignore(display);
    for (Window w : clientWindows(display))
        if (windowTitle(display, w) == title) return w;
    return 0;
}

long processOfWindow(Display* display, Window window) {
    IgnoreXErrors ignore(display);
    Atom type = 0;
    int format = 0;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = 0;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), 0, 1, False,
                           XA_CARDINAL, &type, &format, &n, &after, &data) == Success &&
        data != nullptr && format == 32 && n == 1)
        pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
    if (data != nullptr) XFree(data);
    return pid;
}

bool eventually(const std::function<bool()>& check, double timeoutSeconds) {
    const double deadline = monotonicNow() + timeoutSeconds;
    for (;;) {
        if (check()) return true;
        if (monotonicNow() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

#ifndef KEYLOOM_GTK_FIELD
#define KEYLOOM_GTK_FIELD ""
#endif
std::string gtkFieldPath() { return KEYLOOM_GTK_FIELD; }

TextTarget::TextTarget(Kind kind, std::string title)
    : kind_(kind), title_(std::move(title)), file_(dir_.file("received")) {}

TextTarget::~TextTarget() = default;

bool TextTarget::start(Display* display, std::string* error) {
    std::vector<std::string> argv;
    if (kind_ == Kind::Xterm) {
        // Every byte reaches cat at once, unechoed; Return arrives as a new line.
        argv = {"/usr/bin/env", "LC_ALL=C.UTF-8", "xterm", "-u8", "-T", title_, "-e", "/bin/sh",
                "-c", "stty -icanon -echo -isig -ixon -iexten; exec cat > '" + file_ + "'"};
    } else {
        argv = {gtkFieldPath(), title_, file_};
    }
    if (!process_.start(argv, error, kind_ == Kind::Xterm ? dir_.file("stdout") : std::string()))
        return false;
    bool shown = eventually([&] {
        window_ = windowTitled(display, title_);
        return window_ != 0 && std::filesystem::exists(file_);
    });
    if (!shown) {
        if (error != nullptr) *error = "the window of " + argv[0] + " did not appear";
        return false;
    }
    // The window manager gives a new window the focus; make sure of it.
    std::string unused;
    auto desktop = platform::X11Desktop::open(nullptr, &unused);
    bool active = eventually([&] {
        if (desktop) desktop->activateWindow(title_);
        return focused(display);
    });
    if (active && kind_ == Kind::Gtk) active = process_.readLine(20).value_or("") == "ready";
    if (!active && error != nullptr) *error = "the window of " + argv[0] + " did not get the focus";
    return active;
}

std::string TextTarget::waitFor(const std::string& expected, double timeoutSeconds) const {
    std::string got;
    eventually([&] { return (got = text()) == expected; }, timeoutSeconds);
    return got;
}

platform::MessageAnswer ScriptedToolkit::messageBox(const std::string& text,
                                                    const std::string& title,
                                                    platform::MessageStyle style) {
    messages.push_back(title + ": " + text);
    platform::MessageAnswer answer = style == platform::MessageStyle::YesNoQuestion
                                         ? platform::MessageAnswer::No
                                         : platform::MessageAnswer::Ok;
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    }
    return answer;
}

void X11ActionsTest::SetUp() {
    ASSERT_TRUE(x) << "no X display: run under scripts/with-display.sh";
    guard.emplace(x.get());
    std::string error;
    desktop = platform::X11Desktop::open(nullptr, &error);
    ASSERT_TRUE(desktop) << error;
    engine = std::make_unique<Engine>(state, list, *desktop, toolkit);
}

void X11ActionsTest::TearDown() {
    engine.reset();
    desktop.reset();  // gives back the spare keycodes it bound
}

void X11ActionsTest::play(std::vector<std::string> entries) {
    list.entries() = std::move(entries);
    state.lastIndex = list.count();
    engine->command2Click();
    desktop->sync();
}

LayoutGuard::LayoutGuard(const std::string& layout) {
    // The map as it is, to be put back exactly: the display serves the
    // tests that follow.
    if (std::system(("xkbcomp -xkb \"$DISPLAY\" '" + saved_.file("map.xkb") + "' 2>/dev/null").c_str()) != 0)
        return;
    ok_ = std::system(("setxkbmap " + layout).c_str()) == 0;
}

LayoutGuard::~LayoutGuard() {
    if (std::system(("xkbcomp '" + saved_.file("map.xkb") + "' \"$DISPLAY\" 2>/dev/null").c_str()) != 0)
        (void)std::system("setxkbmap us");
}

RealKeyboard::RealKeyboard(Display* display) : display_(display) {
    int count = 0;
    XDeviceInfo* devices = XListInputDevices(display, &count);
    for (int i = 0; i < count; ++i)
        if (devices[i].use == IsXExtensionKeyboard &&
            !platform::isInjectingDevice(devices[i].name) &&
            std::strstr(devices[i].name, "keyboard") != nullptr)
            device_ = XOpenDevice(display, devices[i].id);
    if (devices != nullptr) XFreeDeviceList(devices);
}

RealKeyboard::~RealKeyboard() {
    if (device_ != nullptr) XCloseDevice(display_, device_);
}

void RealKeyboard::tap(KeySym keysym) {
    KeyCode keycode = XKeysymToKeycode(display_, keysym);
    XTestFakeDeviceKeyEvent(display_, device_, keycode, True, nullptr, 0, CurrentTime);
    XTestFakeDeviceKeyEvent(display_, device_, keycode, False, nullptr, 0, CurrentTime);
    XSync(display_, False);
}

}  // namespace keyloom::test
