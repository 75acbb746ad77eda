// The stop key: physical presses of Pause.
#include "platform/x11/x11StopKey.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>
#include <time.h>

#include <string>
#include <vector>

#include "platform/x11/x11Events.h"
#include "platform/x11/x11Impl.h"

namespace keyloom::platform {
namespace {

double monotonicNow() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

}  // namespace

bool StopKey::open(const char* displayName) {
    display_ = XOpenDisplay(displayName);
    if (display_ == nullptr) return false;
    int event = 0, error = 0, major = 2, minor = 1;
    if (!XQueryExtension(display_, "XInputExtension", &opcode_, &event, &error) ||
        XIQueryVersion(display_, &major, &minor) != Success || (major == 2 && minor < 1)) {
        XCloseDisplay(display_);
        display_ = nullptr;
        return false;
    }
    selectRealKeyboards();
    XSync(display_, False);
    return true;
}

// Raw key presses only of the keyboards that are not XTest devices: the
// server then sends nothing for injected keys, which a run sends by the
// thousand. Hierarchy changes (a keyboard plugged in) are taken for all
// devices, the only way the server takes them, and select anew.
void StopKey::selectRealKeyboards() {
    unsigned char keys[XIMaskLen(XI_LASTEVENT)] = {};
    unsigned char hierarchy[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(keys, XI_RawKeyPress);
    XISetMask(hierarchy, XI_HierarchyChanged);
    std::vector<XIEventMask> masks{{XIAllDevices, sizeof hierarchy, hierarchy}};
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(display_, XIAllDevices, &count);
    for (int i = 0; i < count; ++i)
        if (devices[i].use == XISlaveKeyboard && !isInjectingDevice(devices[i].name))
            masks.push_back({devices[i].deviceid, sizeof keys, keys});
    if (devices != nullptr) XIFreeDeviceInfo(devices);
    XISelectEvents(display_, DefaultRootWindow(display_), masks.data(),
                   static_cast<int>(masks.size()));
}

StopKey::~StopKey() {
    if (display_ != nullptr) XCloseDisplay(display_);
}

bool StopKey::pressed() {
    if (display_ == nullptr) return false;
    double now = monotonicNow();
    if (presses_ == 0 && now < nextRead_) return false;
    if (now >= nextRead_) {
        nextRead_ = now + kInterval;
        readEvents();
    }
    if (presses_ == 0) return false;
    --presses_;
    return true;
}

void StopKey::readEvents() {
    drainEvents(display_, [this](XEvent& event) {
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != opcode_ ||
            !XGetEventData(display_, cookie))
            return;
        if (cookie->evtype == XI_HierarchyChanged) {
            real_.clear();  // device ids may now name other devices
            selectRealKeyboards();
        } else if (cookie->evtype == XI_RawKeyPress) {
            const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
            KeySym keysym = XkbKeycodeToKeysym(display_, static_cast<KeyCode>(raw->detail), 0, 0);
            if (keysym == XK_Pause && fromRealKeyboard(raw->sourceid)) ++presses_;
        }
        XFreeEventData(display_, cookie);
    });
}

bool StopKey::fromRealKeyboard(int sourceDevice) {
    auto known = real_.find(sourceDevice);
    if (known != real_.end()) return known->second;
    int count = 0;
    XIDeviceInfo* info = XIQueryDevice(display_, sourceDevice, &count);
    bool real = info != nullptr && count > 0 && !isInjectingDevice(info[0].name);
    if (info != nullptr) XIFreeDeviceInfo(info);
    real_[sourceDevice] = real;
    return real;
}

bool X11Desktop::stopKeyPressed() {
    if (!impl_->stopKey) {
        impl_->stopKey = std::make_shared<StopKey>();
        impl_->stopKey->open(DisplayString(impl_->display));
    }
    const bool key = impl_->stopKey->pressed();
    return impl_->runStops.stopAsked() || key;
}

}  // namespace keyloom::platform
