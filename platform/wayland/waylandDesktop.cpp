#include "platform/wayland/waylandDesktop.h"

#include <linux/input-event-codes.h>
#include <poll.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/linux/launch.h"
#include "platform/linux/waylandFlush.h"
#include "platform/wayland/waylandImpl.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

namespace keyloom::platform {
namespace {

std::uint32_t milliseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint32_t>(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

template <typename T>
T* bind(wl_registry* registry, std::uint32_t name, const wl_interface* interface,
        std::uint32_t offered, std::uint32_t wanted) {
    return static_cast<T*>(wl_registry_bind(registry, name, interface, std::min(offered, wanted)));
}

// Where an output lies: the logical position and size from xdg-output, else
// the position and mode of the output itself.
void outputGeometry(void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t,
                    std::int32_t, std::int32_t, const char*, const char*, std::int32_t) {
    auto* out = static_cast<Output*>(data);
    if (out->xdgOutput != nullptr) return;
    out->x = x;
    out->y = y;
}
void outputMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width,
                std::int32_t height, std::int32_t) {
    auto* out = static_cast<Output*>(data);
    if (out->xdgOutput != nullptr || (flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
    out->width = width;
    out->height = height;
}
void outputDone(void*, wl_output*) {}
void outputScale(void*, wl_output*, std::int32_t) {}
void outputText(void*, wl_output*, const char*) {}
const wl_output_listener kOutputListener = {outputGeometry, outputMode, outputDone,
                                            outputScale,    outputText, outputText};

void xdgPosition(void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
    auto* out = static_cast<Output*>(data);
    out->x = x;
    out->y = y;
}
void xdgSize(void* data, zxdg_output_v1*, std::int32_t width, std::int32_t height) {
    auto* out = static_cast<Output*>(data);
    out->width = width;
    out->height = height;
}
void xdgDone(void*, zxdg_output_v1*) {}
void xdgName(void*, zxdg_output_v1*, const char*) {}
void xdgDescription(void*, zxdg_output_v1*, const char*) {}
const zxdg_output_v1_listener kXdgOutputListener = {xdgPosition, xdgSize, xdgDone, xdgName,
                                                    xdgDescription};

void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
            std::uint32_t version) {
    auto* impl = static_cast<WaylandDesktop::Impl*>(data);
    const std::string which = interface;
    if (which == wl_seat_interface.name && impl->seat == nullptr) {
        impl->seat = bind<wl_seat>(registry, name, &wl_seat_interface, version, 1);
    } else if (which == wl_output_interface.name) {
        auto out = std::make_unique<Output>();
        out->output = bind<wl_output>(registry, name, &wl_output_interface, version, 2);
        wl_output_add_listener(out->output, &kOutputListener, out.get());
        impl->outputs.push_back(std::move(out));
    } else if (which == zwp_virtual_keyboard_manager_v1_interface.name) {
        impl->keyboardManager = bind<zwp_virtual_keyboard_manager_v1>(
            registry, name, &zwp_virtual_keyboard_manager_v1_interface, version, 1);
    } else if (which == zwlr_virtual_pointer_manager_v1_interface.name) {
        impl->pointerManager = bind<zwlr_virtual_pointer_manager_v1>(
            registry, name, &zwlr_virtual_pointer_manager_v1_interface, version, 1);
    } else if (which == zwlr_foreign_toplevel_manager_v1_interface.name) {
        impl->toplevelManager = bind<zwlr_foreign_toplevel_manager_v1>(
            registry, name, &zwlr_foreign_toplevel_manager_v1_interface, version, 3);
    } else if (which == zxdg_output_manager_v1_interface.name) {
        impl->xdgOutputManager = bind<zxdg_output_manager_v1>(
            registry, name, &zxdg_output_manager_v1_interface, version, 2);
    }
}
void globalRemove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistryListener = {global, globalRemove};

}  // namespace

WaylandDesktop::Impl::~Impl() {
    watch.reset();
    keyboard.reset();
    if (display == nullptr) return;
    // Every object of ours goes first: the library frees them only so.
    for (auto& t : toplevels)
        if (t->handle != nullptr) zwlr_foreign_toplevel_handle_v1_destroy(t->handle);
    if (toplevelManager != nullptr) zwlr_foreign_toplevel_manager_v1_destroy(toplevelManager);
    if (pointer != nullptr) zwlr_virtual_pointer_v1_destroy(pointer);
    if (pointerManager != nullptr) zwlr_virtual_pointer_manager_v1_destroy(pointerManager);
    if (keyboardManager != nullptr) zwp_virtual_keyboard_manager_v1_destroy(keyboardManager);
    for (auto& out : outputs) {
        if (out->xdgOutput != nullptr) zxdg_output_v1_destroy(out->xdgOutput);
        wl_output_destroy(out->output);
    }
    if (xdgOutputManager != nullptr) zxdg_output_manager_v1_destroy(xdgOutputManager);
    if (seat != nullptr) wl_seat_destroy(seat);
    if (registry != nullptr) wl_registry_destroy(registry);
    wl_display_flush(display);
    wl_display_disconnect(display);
}

void WaylandDesktop::Impl::flush() { flushWayland(display); }

void WaylandDesktop::Impl::roundtrip() {
    flush();
    wl_display_roundtrip(display);
}

std::unique_ptr<WaylandDesktop> WaylandDesktop::open(const char* displayName, std::string* error) {
    auto fail = [error](const std::string& why) {
        if (error != nullptr) *error = why;
        return nullptr;
    };
    auto impl = std::make_unique<Impl>();
    impl->display = wl_display_connect(displayName);
    if (impl->display == nullptr) return fail("cannot connect to the Wayland compositor");
    impl->registry = wl_display_get_registry(impl->display);
    wl_registry_add_listener(impl->registry, &kRegistryListener, impl.get());
    wl_display_roundtrip(impl->display);
    if (impl->keyboardManager == nullptr || impl->seat == nullptr)
        return fail("the Wayland compositor offers no virtual keyboard (zwp_virtual_keyboard_v1)");
    if (impl->xdgOutputManager != nullptr) {
        for (auto& out : impl->outputs) {
            out->xdgOutput =
                zxdg_output_manager_v1_get_xdg_output(impl->xdgOutputManager, out->output);
            zxdg_output_v1_add_listener(out->xdgOutput, &kXdgOutputListener, out.get());
        }
    }
    if (impl->toplevelManager != nullptr) impl->watchToplevels();
    Impl* raw = impl.get();
    impl->keyboard = std::make_unique<VirtualKeyboard>(
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(impl->keyboardManager, impl->seat),
        [raw] { raw->roundtrip(); });
    if (!impl->keyboard->ready()) return fail("no keyboard map can be built (XKB data missing)");
    if (impl->pointerManager != nullptr)
        impl->pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(impl->pointerManager,
                                                                               impl->seat);
    impl->roundtrip();
    const char* name = displayName != nullptr ? displayName : std::getenv("WAYLAND_DISPLAY");
    impl->watch = std::make_unique<ConnectionWatch>(
        wl_display_get_fd(impl->display),
        std::string("the Wayland compositor \"") + (name != nullptr ? name : "wayland-0") + "\"");
    if (wl_display_get_error(impl->display) != 0)
        return fail(std::string("the Wayland compositor refused us: ") +
                    std::strerror(wl_display_get_error(impl->display)));
    impl->input = EvdevInput::open(&impl->inputUnseen);
    return std::unique_ptr<WaylandDesktop>(new WaylandDesktop(std::move(impl)));
}

WaylandDesktop::WaylandDesktop(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

WaylandDesktop::~WaylandDesktop() {
    impl_->roundtrip();
}

void WaylandDesktop::sync() {
    impl_->roundtrip();
}

bool WaylandDesktop::hasPointer() const {
    return impl_->pointer != nullptr;
}

bool WaylandDesktop::hasWindowList() const {
    return impl_->toplevelManager != nullptr;
}

void WaylandDesktop::keybdEvent(std::uint8_t vk, std::uint8_t, std::uint32_t flags) {
    impl_->keyboard->key(vk, (flags & kKeyUp) == 0);
    impl_->flush();
}

void WaylandDesktop::typeKeys(const std::string&, const std::vector<KeyStroke>& strokes,
                              const StopCheck& stopAsked) {
    impl_->keyboard->type(strokes, stopAsked);
    impl_->flush();
}

void WaylandDesktop::mouseEvent(std::uint32_t flags) {
    if (impl_->pointer == nullptr) return;
    bool left = flags == kLeftDown || flags == kLeftUp;
    bool press = flags == kLeftDown || flags == kRightDown;
    if (!left && flags != kRightDown && flags != kRightUp) return;
    // A button goes down once and up once.
    const std::uint32_t button = left ? BTN_LEFT : BTN_RIGHT;
    if (impl_->buttonsDown.count(button) == (press ? 1U : 0U)) return;
    if (press)
        impl_->buttonsDown.insert(button);
    else
        impl_->buttonsDown.erase(button);
    zwlr_virtual_pointer_v1_button(
        impl_->pointer, milliseconds(), button,
        press ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
    zwlr_virtual_pointer_v1_frame(impl_->pointer);
    impl_->flush();
}

void WaylandDesktop::setCursorPos(int x, int y) {
    if (impl_->pointer == nullptr || impl_->outputs.empty()) return;
    // Absolute moves are relative to the box around every output.
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (const auto& out : impl_->outputs) {
        left = std::min(left, out->x);
        top = std::min(top, out->y);
        right = std::max(right, out->x + out->width);
        bottom = std::max(bottom, out->y + out->height);
    }
    if (right <= left || bottom <= top) return;
    const int cx = std::clamp(x, left, right - 1);
    const int cy = std::clamp(y, top, bottom - 1);
    zwlr_virtual_pointer_v1_motion_absolute(
        impl_->pointer, milliseconds(), static_cast<std::uint32_t>(cx - left),
        static_cast<std::uint32_t>(cy - top), static_cast<std::uint32_t>(right - left),
        static_cast<std::uint32_t>(bottom - top));
    zwlr_virtual_pointer_v1_frame(impl_->pointer);
    impl_->flush();
    impl_->cursor = {cx, cy};
}

Point WaylandDesktop::getCursorPos() {
    return impl_->cursor;
}

std::int16_t WaylandDesktop::getAsyncKeyState(int vk) {
    return impl_->input ? impl_->input->keyState(vk) : 0;
}
KeySet WaylandDesktop::keysDown() {
    return impl_->input ? impl_->input->keysDown() : KeySet{};
}
bool WaylandDesktop::seesInput() { return impl_->input != nullptr; }
const std::string& WaylandDesktop::inputUnseen() const { return impl_->inputUnseen; }
void WaylandDesktop::setKeyboardState(const std::array<std::uint8_t, 256>&) {}
int WaylandDesktop::swapMouseButton(int) {
    return 0;
}
bool WaylandDesktop::lockKeyOn(LockKey key) {
    return impl_->keyboard->locked(key);
}

std::optional<long> WaylandDesktop::startProgram(const std::string& commandLine) {
    // The windows that exist now are not the new program's.
    impl_->roundtrip();
    std::optional<long> pid = startCommandLine(commandLine);
    if (pid) impl_->started[*pid] = impl_->nextSerial;
    return pid;
}

bool WaylandDesktop::openDocument(const std::string& path) {
    return openWithDefaultApplication(path);
}

bool WaylandDesktop::stopKeyPressed() {
    const bool key = impl_->input && impl_->input->stopKeyPressed();
    return impl_->runStops.stopAsked() || key;
}

bool WaylandDesktop::claimRun() {
    impl_->runStops.listen();
    return true;
}

void WaylandDesktop::endRun() { impl_->runStops.close(); }

}  // namespace keyloom::platform
