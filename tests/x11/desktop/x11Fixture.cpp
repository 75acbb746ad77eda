#include "x11Fixture.h"

#include "support/desktopContract.h"

#include <X11/XKBlib.h>

#include <cstdlib>
#include <filesystem>

namespace keyloom::test {

TextTarget::TextTarget(std::string title) : title_(std::move(title)), file_(dir_.str("received")) {}

bool TextTarget::start(Display* display, std::string* error) {
    // Every byte reaches cat at once, unechoed; Return arrives as a new line.
    const std::vector<std::string> argv = {
        "/usr/bin/env", "LC_ALL=C.UTF-8", "xterm", "-u8", "-T", title_, "-e", "/bin/sh", "-c",
        "stty -icanon -echo -isig -ixon -iexten; exec cat > '" + file_ + "'"};
    if (!process_.start(argv, error, dir_.str("stdout"))) return false;
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
        return activeWindow(display) == window_;
    });
    if (!active && error != nullptr) *error = "the window of " + argv[0] + " did not get the focus";
    return active;
}

std::string TextTarget::waitFor(const std::string& expected, double timeoutSeconds) const {
    std::string got;
    eventually([&] { return (got = text()) == expected; }, timeoutSeconds);
    return got;
}

void X11Test::SetUp() {
    ASSERT_TRUE(x) << "no X display: run under scripts/with-display.sh";
    guard.emplace(x.get());
    std::string error;
    desktop = platform::X11Desktop::open(nullptr, &error);
    ASSERT_TRUE(desktop) << error;
    dialogs.logToolkit = true;
    engine = std::make_unique<Engine>(state, list, *desktop, platform::Toolkit{realTime, dialogs});
}

void X11Test::TearDown() {
    engine.reset();
    desktop.reset();  // gives back the spare keycodes it bound
}

void X11Test::play(std::vector<std::string> entries) {
    list.entries() = std::move(entries);
    state.lastIndex = list.count();
    engine->command2Click();
    desktop->sync();
}

LayoutGuard::LayoutGuard(const std::string& layout) {
    // The map as it is, to be put back exactly: the display serves the
    // tests that follow.
    if (std::system(("xkbcomp -xkb \"$DISPLAY\" '" + saved_.str("map.xkb") + "' 2>/dev/null").c_str()) != 0)
        return;
    ok_ = std::system(("setxkbmap " + layout).c_str()) == 0;
}

LayoutGuard::~LayoutGuard() {
    if (std::system(("xkbcomp '" + saved_.str("map.xkb") + "' \"$DISPLAY\" 2>/dev/null").c_str()) != 0)
        (void)std::system("setxkbmap us");
}

std::vector<std::string> X11ProbeTest::describe(const std::vector<ProbeEvent>& events) const {
    std::vector<std::string> out;
    for (const ProbeEvent& e : events) {
        // The key's unshifted keysym; a key that is a modifier itself.
        KeySym base = XkbKeycodeToKeysym(x.get(), static_cast<KeyCode>(e.keycode), 0, 0);
        const char* name = XKeysymToString(base);
        out.push_back(contractLine(e, probe, name != nullptr ? name : std::to_string(e.keycode),
                                   XkbKeysymToModifiers(x.get(), base) != 0));
    }
    return out;
}

std::vector<ProbeEvent> X11ProbeTest::everything(std::size_t expected) {
    desktop->sync();
    std::vector<ProbeEvent> events;
    std::size_t inputs = 0;
    if (expected > 0) {
        events = probe.readUntil(
            [&](const ProbeEvent& e) { return (e.isKey() || e.isButton()) && ++inputs >= expected; },
            30);
    }
    bool done = false;
    auto rest = probe.sync(30, &done);
    EXPECT_TRUE(done) << "the probe did not answer";
    events.insert(events.end(), rest.begin(), rest.end());
    return events;
}

}  // namespace keyloom::test
