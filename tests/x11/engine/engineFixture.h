// The engine driving the real X11 desktop, with the probe window holding the
// focus: a test plays entries and reads back what the probe received.
#pragma once

#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "platform/consoleToolkit.h"
#include "platform/x11/x11Desktop.h"
#include "x11/support/probeProcess.h"
#include "x11/support/xState.h"

namespace keyloom::test {

class X11EngineTest : public ::testing::Test {
public:
    void SetUp() override {
        ASSERT_TRUE(x) << "no X display: run under scripts/with-display.sh";
        guard.emplace(x.get());
        std::string error;
        desktop = platform::X11Desktop::open(nullptr, &error);
        ASSERT_TRUE(desktop) << error;
        engine = std::make_unique<Engine>(state, list, *desktop, toolkit);
        ASSERT_TRUE(probe.start()) << probe.error();
    }

    // Runs `entries` as the Run button does and returns the key and button
    // events the probe received: at least `expected` of them, waited for.
    std::vector<ProbeEvent> play(std::vector<std::string> entries, std::size_t expected = 0) {
        list.entries() = std::move(entries);
        state.lastIndex = list.count();
        engine->command2Click();
        return received(expected);
    }
    // The same, for a run expected to send `lines` (see `describe`).
    std::vector<std::string> playExpecting(std::vector<std::string> entries,
                                           const std::vector<std::string>& lines) {
        return describe(play(std::move(entries), lines.size()));
    }

    // The key and button events the probe received since the last look.
    std::vector<ProbeEvent> received(std::size_t expected = 0) {
        return keysAndButtons(everything(expected));
    }
    // Every event the probe received since the last look, motion included.
    // Button events pass through the window manager's click-to-focus grab
    // and can arrive after the barrier: wait for `expected` keys and buttons.
    std::vector<ProbeEvent> everything(std::size_t expected = 0);

    // Events as "down Tab", "up Control_L" (the key's unshifted keysym),
    // "down button1 440,340".
    std::vector<std::string> describe(const std::vector<ProbeEvent>& events) const;

    unsigned keycode(unsigned long keysym) const { return keycodeOf(x.get(), keysym); }
    static std::vector<std::string> tapOf(const std::string& key) {
        return {"down " + key, "up " + key};
    }
    // Moves the cursor by the test's own connection.
    void moveCursor(int px, int py) const;
    // Where the cursor is, by the test's own connection.
    std::pair<int, int> cursor() const;
    // "MouseMove >x,y" for the middle of the probe window.
    std::string moveToProbe() const {
        return "MouseMove >" + std::to_string(probe.centerX()) + "," +
               std::to_string(probe.centerY());
    }

    XConnection x;
    std::optional<InputStateGuard> guard;
    std::unique_ptr<platform::X11Desktop> desktop;
    platform::ConsoleToolkit toolkit{std::cerr};
    ProbeProcess probe{"keyloom engine probe", ProbeOptions{.motion = true, .batch = false, .geometry = {}}};
    RunState state;
    VectorList list;
    std::unique_ptr<Engine> engine;
};

}  // namespace keyloom::test
