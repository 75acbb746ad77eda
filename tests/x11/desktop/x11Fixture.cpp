#include "x11Fixture.h"

#include <X11/XKBlib.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>

#include "support/desktopContract.h"

namespace keyloom::test {

void X11Test::SetUp() {
    ASSERT_TRUE(x) << "no X display: run under scripts/with-display.sh";
    guard.emplace(x.get());
    std::string error;
    desktop = platform::X11Desktop::open(nullptr, &error);
    ASSERT_TRUE(desktop) << error;
    dialogs.logToolkit = true;
    engine = std::make_unique<Engine>(state, list, *desktop, platform::Toolkit{realTime, dialogs});
}

void X11Test::play(std::vector<std::string> entries) {
    list.entries() = std::move(entries);
    state.lastIndex = list.count();
    engine->command2Click();
    desktop->sync();
}

KeymapGuard::KeymapGuard(const std::string& command) {
    // The map as it is, to be put back exactly: the display serves the
    // tests that follow.
    if (std::system(("xkbcomp -xkb \"$DISPLAY\" '" + saved_.str("map.xkb") + "' 2>/dev/null").c_str()) != 0)
        return;
    ok_ = command.empty() || std::system(command.c_str()) == 0;
}

KeymapGuard::~KeymapGuard() {
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

std::string textOf(const std::vector<ProbeEvent>& events) {
    std::string text;
    for (const ProbeEvent& e : events)
        if (e.kind == "KeyPress") {
            char utf8[8] = {};
            xkb_keysym_to_utf8(static_cast<xkb_keysym_t>(e.keysym), utf8, sizeof utf8);
            text += utf8;
        }
    return text;
}

std::vector<ProbeEvent> X11ProbeTest::received(std::size_t expected) {
    desktop->sync();
    std::vector<ProbeEvent> events;
    if (expected > 0)
        events = keysAndButtons(probe.readUntil(
            [&](const ProbeEvent& e) { return (e.isKey() || e.isButton()) && --expected == 0; },
            30));
    bool done = false;
    auto rest = keysAndButtons(probe.sync(30, &done));
    EXPECT_TRUE(done) << "the probe did not answer";
    events.insert(events.end(), rest.begin(), rest.end());
    return events;
}

}  // namespace keyloom::test
