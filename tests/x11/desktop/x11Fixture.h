// The engine driving the real X11 desktop, against the probe window, which
// reports what it received.
#pragma once

#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "platform/consoleToolkit.h"
#include "platform/fake/fakePlatform.h"
#include "platform/x11/x11Desktop.h"
#include "support/fileBytes.h"
#include "support/probeProcess.h"
#include "support/tempDir.h"
#include "x11/support/xState.h"

namespace keyloom::test {

class X11Test : public ::testing::Test {
public:
    void SetUp() override;
    // Runs `entries` as the Run button does.
    void play(std::vector<std::string> entries);

    XConnection x;
    std::optional<InputStateGuard> guard;
    std::unique_ptr<platform::X11Desktop> desktop;  // destroyed after the engine
    // Real time and waits; message boxes written down ("message TEXT",
    // "title TITLE") and answered OK / No by the fake.
    std::ostringstream consoleSink;
    platform::ConsoleToolkit realTime{consoleSink};
    platform::FakePlatform dialogs;
    RunState state;
    VectorList list;
    std::unique_ptr<Engine> engine;
};

// The same with the probe window holding the focus: a test plays entries and
// reads back what the probe received.
class X11ProbeTest : public X11Test {
public:
    void SetUp() override {
        X11Test::SetUp();
        ASSERT_TRUE(probe.start()) << probe.error();
    }

    // Runs `entries` as the Run button does and returns the key and button
    // events the probe received: at least `expected` of them, waited for.
    std::vector<ProbeEvent> play(std::vector<std::string> entries, std::size_t expected = 0) {
        X11Test::play(std::move(entries));
        return received(expected);
    }

    // The key and button events the probe received since the last look.
    // Button events pass through the window manager's click-to-focus grab
    // and can arrive after the barrier: wait for `expected` of them.
    std::vector<ProbeEvent> received(std::size_t expected = 0);

    // Key and button events in the form of the desktop contract
    // (support/desktopContract.h): "down Tab", "up a shift ctrl", "down
    // button1 17,23" (a point of the probe window).
    std::vector<std::string> describe(const std::vector<ProbeEvent>& events) const;

    ProbeProcess probe{"keyloom engine probe"};
};

// The characters the key presses among `events` gave (the keysym the window
// looked up), Tab and Return included.
std::string textOf(const std::vector<ProbeEvent>& events);

// Saves the keyboard map of the display, runs `command` (a shell command that
// changes it, or none), and puts the map back as it was at the end.
class KeymapGuard {
public:
    explicit KeymapGuard(const std::string& command = {});
    ~KeymapGuard();
    KeymapGuard(const KeymapGuard&) = delete;
    KeymapGuard& operator=(const KeymapGuard&) = delete;
    bool ok() const { return ok_; }

private:
    TempDir saved_;
    bool ok_ = false;
};

}  // namespace keyloom::test
