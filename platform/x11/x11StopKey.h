// The stop key: a press of Pause on a real keyboard stops a run. XInput 2 raw
// key events, read on a connection of their own, tell which device a key came
// from; keys sent through XTest (by us or any other program) come from the
// server's XTest devices and never count.
#pragma once

#include <X11/Xlib.h>

#include <map>
#include <string_view>

namespace keyloom::platform {

// Whether a device of this name injects synthetic input ("Virtual core XTEST
// keyboard", and XTest devices of further master keyboards).
inline bool isInjectingDevice(std::string_view name) {
    return name.find("XTEST") != std::string_view::npos;
}

class StopKey {
public:
    // Nothing counts until the connection is open; false when it cannot be
    // (no display, no XInput 2.1).
    bool open(const char* displayName);
    ~StopKey();

    // True once for each press of Pause on a real keyboard since the last
    // call. Reads what the server sent at most every `kInterval` seconds, so
    // that a stop test costs next to nothing; presses are never lost.
    bool pressed();

    static constexpr double kInterval = 0.005;

private:
    void selectRealKeyboards();
    void readEvents();
    bool fromRealKeyboard(int sourceDevice);

    Display* display_ = nullptr;
    int opcode_ = 0;
    int presses_ = 0;
    double nextRead_ = 0;
    std::map<int, bool> real_;  // device id -> not an XTest device
};

}  // namespace keyloom::platform
