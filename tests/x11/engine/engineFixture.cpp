#include "engineFixture.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>

namespace keyloom::test {

std::vector<std::string> X11EngineTest::describe(const std::vector<ProbeEvent>& events) const {
    std::vector<std::string> out;
    for (const ProbeEvent& e : events) {
        std::string word = e.isPress() ? "down " : "up ";
        if (e.isKey()) {
            KeySym base = XkbKeycodeToKeysym(x.get(), static_cast<KeyCode>(e.keycode), 0, 0);
            const char* name = XKeysymToString(base);
            out.push_back(word + (name != nullptr ? name : std::to_string(e.keycode)));
        } else {
            out.push_back(word + "button" + std::to_string(e.button) + " " + std::to_string(e.x) +
                          "," + std::to_string(e.y));
        }
    }
    return out;
}

void X11EngineTest::moveCursor(int px, int py) const {
    XTestFakeMotionEvent(x.get(), -1, px, py, CurrentTime);
    XSync(x.get(), False);
}

std::vector<ProbeEvent> X11EngineTest::everything(std::size_t expected) {
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

std::pair<int, int> X11EngineTest::cursor() const {
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned mask = 0;
    XQueryPointer(x.get(), DefaultRootWindow(x.get()), &root, &child, &rootX, &rootY, &winX, &winY,
                  &mask);
    return {rootX, rootY};
}

}  // namespace keyloom::test
