// What the Windows tests add to the shared support: the probe window found by
// its title, a file in the temporary folder, the characters and keys the
// probe receives, a cursor put where it stays.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/platform.h"
#include "platform/win32/win32Text.h"
#include "support/fileBytes.h"
#include "support/probeProcess.h"

namespace keyloom::test {

// A file of `bytes` named `name` (UTF-8) in the temporary folder; its path.
inline std::string tempFile(const std::string& name, const std::string& bytes) {
    const auto path = std::filesystem::temp_directory_path() / platform::win32::toWide(name);
    writeFile(path, bytes);
    return platform::win32::toUtf8(path.wstring());
}

inline HWND probeWindow(const std::string& title) {
    return FindWindowW(L"KeyloomProbe", platform::win32::toWide(title).c_str());
}

// What the probe has printed so far, and within `settleSeconds` (it has no
// barrier to wait for).
inline std::vector<ProbeEvent> receivedNow(ProbeProcess& probe, double settleSeconds = 0) {
    return probe.readUntil([](const ProbeEvent&) { return false; }, settleSeconds);
}

// Reads the probe until it prints a line that begins with `prefix`.
inline bool readUntilLine(ProbeProcess& probe, const std::string& prefix,
                          double timeoutSeconds = 10) {
    bool found = false;
    probe.readUntil([&](const ProbeEvent& e) { return e.line.rfind(prefix, 0) == 0; },
                    timeoutSeconds, &found);
    return found;
}

// The characters the probe receives, read until they are `expected`.
inline std::string charsReceived(ProbeProcess& probe, const std::string& expected,
                                 double timeoutSeconds = 10) {
    std::string got;
    probe.readUntil(
        [&](const ProbeEvent& e) {
            if (e.kind == "Char") platform::appendUtf8(got, static_cast<char32_t>(e.keysym));
            return got == expected;
        },
        timeoutSeconds);
    return got;
}

// The key and button events the probe receives: `expected` of them, waited
// for, and those that follow within a moment.
inline std::vector<ProbeEvent> keysAndButtonsReceived(ProbeProcess& probe, std::size_t expected) {
    std::size_t inputs = 0;
    auto events = probe.readUntil(
        [&](const ProbeEvent& e) { return (e.isKey() || e.isButton()) && ++inputs >= expected; },
        10);
    for (const ProbeEvent& e : receivedNow(probe, 0.2)) events.push_back(e);
    return keysAndButtons(events);
}

// The keys and buttons of a run still down, by the desktop's key state (which
// the recorder reads).
inline std::vector<int> heldKeys(platform::Desktop& desktop) {
    std::vector<int> held;
    for (int vk : {VK_LBUTTON, VK_RBUTTON, VK_SHIFT, VK_CONTROL, VK_MENU})
        if (desktop.getAsyncKeyState(vk) < 0) held.push_back(vk);
    return held;
}

// Puts the cursor at (x, y) through the desktop and waits until it stays
// there. Under Wine a pointer event from before (a window appearing, an
// earlier move) can arrive after a move and put the cursor back; checks that
// move the cursor and then click wait for it to settle first.
inline bool settleCursor(platform::Desktop& desktop, int x, int y) {
    int steady = 0;
    return eventually([&] {
        if (!(desktop.getCursorPos() == platform::Point{x, y})) {
            desktop.setCursorPos(x, y);
            steady = 0;
        }
        Sleep(30);
        return ++steady >= 3;
    });
}

}  // namespace keyloom::test
