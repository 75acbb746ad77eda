#include "platform/x11/x11Desktop.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <array>

#include "platform/linux/launch.h"
#include "platform/x11/x11Impl.h"
#include "platform/x11/x11Typist.h"

namespace keyloom::platform {
namespace {

// The physical button that acts as logical button `logical` now.
unsigned int physicalButton(Display* display, unsigned char logical) {
    std::array<unsigned char, 32> map{};
    int n = XGetPointerMapping(display, map.data(), static_cast<int>(map.size()));
    for (int i = 0; i < n; ++i)
        if (map[static_cast<std::size_t>(i)] == logical) return static_cast<unsigned int>(i + 1);
    return logical;
}

const char* indicatorName(LockKey key) {
    switch (key) {
    case LockKey::Caps: return "Caps Lock";
    case LockKey::Num: return "Num Lock";
    case LockKey::Scroll: return "Scroll Lock";
    }
    return "";
}

}  // namespace

std::unique_ptr<X11Desktop> X11Desktop::open(const char* displayName, std::string* error) {
    Display* display = XOpenDisplay(displayName);
    if (display == nullptr) {
        const std::string name = XDisplayName(displayName);
        if (error != nullptr)
            *error = name.empty() ? "cannot open the X display: the DISPLAY variable is not set"
                                  : "cannot open the X display " + name;
        return nullptr;
    }
    int event = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event, &errorBase, &major, &minor)) {
        if (error != nullptr) *error = "the X server lacks the XTest extension";
        XCloseDisplay(display);
        return nullptr;
    }
    // Our own synthetic events must not be held back by a grab of the server.
    XTestGrabControl(display, True);
    auto impl = std::make_unique<Impl>(display);
    impl->root = DefaultRootWindow(display);
    endProgramWhenDisplayIsLost();
    impl->watch = std::make_unique<DisplayWatch>(display);
    return std::unique_ptr<X11Desktop>(new X11Desktop(std::move(impl)));
}

X11Desktop::X11Desktop(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

X11Desktop::~X11Desktop() {
    Display* display = impl_->display;
    impl_.reset();
    // A process that exits right after flushing can lose its last events:
    // wait until the server has them all.
    XSync(display, False);
    XCloseDisplay(display);
}

void X11Desktop::sync() { XSync(impl_->display, False); }

void X11Desktop::keybdEvent(std::uint8_t vk, std::uint8_t, std::uint32_t flags) {
    KeySym keysym = keysymForVirtualKey(vk);
    if (keysym == 0) return;
    KeyCode keycode = impl_->keymap.keycodeFor(keysym);
    if (keycode == 0) return;
    XTestFakeKeyEvent(impl_->display, keycode, (flags & kKeyUp) ? False : True, CurrentTime);
    XFlush(impl_->display);
}

void X11Desktop::mouseEvent(std::uint32_t flags) {
    bool primary = flags == kLeftDown || flags == kLeftUp;
    bool press = flags == kLeftDown || flags == kRightDown;
    if (!primary && flags != kRightDown && flags != kRightUp) return;
    unsigned int button = physicalButton(impl_->display, primary ? 1 : 3);
    XTestFakeButtonEvent(impl_->display, button, press ? True : False, CurrentTime);
    XFlush(impl_->display);
}

void X11Desktop::setCursorPos(int x, int y) {
    XTestFakeMotionEvent(impl_->display, -1, x, y, CurrentTime);
    XFlush(impl_->display);
}

Point X11Desktop::getCursorPos() {
    Window rootReturn = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned int mask = 0;
    XQueryPointer(impl_->display, impl_->root, &rootReturn, &child, &rootX, &rootY, &winX, &winY,
                  &mask);
    return {rootX, rootY};
}

int X11Desktop::swapMouseButton(int swap) {
    std::array<unsigned char, 32> map{};
    int n = XGetPointerMapping(impl_->display, map.data(), static_cast<int>(map.size()));
    bool swapped = n >= 3 && map[0] == 3;
    if (n >= 3 && swapped != (swap != 0)) {
        std::swap(map[0], map[2]);
        XSetPointerMapping(impl_->display, map.data(), n);
        XFlush(impl_->display);
    }
    return swapped ? 1 : 0;
}

bool X11Desktop::lockKeyOn(LockKey key) {
    Atom atom = XInternAtom(impl_->display, indicatorName(key), False);
    Bool on = False;
    if (XkbGetNamedIndicator(impl_->display, atom, nullptr, &on, nullptr, nullptr)) return on;
    // No such indicator: read the locked modifiers instead.
    XkbStateRec state{};
    if (XkbGetState(impl_->display, XkbUseCoreKbd, &state) != Success) return false;
    if (key == LockKey::Caps) return (state.locked_mods & LockMask) != 0;
    if (key == LockKey::Num) return (state.locked_mods & XkbKeysymToModifiers(impl_->display, XK_Num_Lock)) != 0;
    return false;
}

bool X11Desktop::claimRun() {
    Impl& d = *impl_;
    d.runStops.listen();
    if (d.runClaimed) return true;
    if (d.runOwner == 0) {
        d.runOwner = XCreateSimpleWindow(d.display, d.root, -1, -1, 1, 1, 0, 0, 0);
        d.runSelection = XInternAtom(d.display, "_KEYLOOM_RUN", False);
    }
    // Taking a selection always succeeds, even from another owner: look and
    // take while no other program can.
    XGrabServer(d.display);
    if (XGetSelectionOwner(d.display, d.runSelection) == None)
        XSetSelectionOwner(d.display, d.runSelection, d.runOwner, CurrentTime);
    d.runClaimed = XGetSelectionOwner(d.display, d.runSelection) == d.runOwner;
    XUngrabServer(d.display);
    XFlush(d.display);
    return d.runClaimed;
}

void X11Desktop::endRun() {
    Impl& d = *impl_;
    d.spares.giveBack();
    d.keymap.invalidate();
    d.runStops.close();
    if (!d.runClaimed) return;
    XSetSelectionOwner(d.display, d.runSelection, None, CurrentTime);
    XFlush(d.display);
    d.runClaimed = false;
}

std::optional<long> X11Desktop::startProgram(const std::string& commandLine) {
    return startCommandLine(commandLine);
}

bool X11Desktop::openDocument(const std::string& path) { return openWithDefaultApplication(path); }

}  // namespace keyloom::platform
