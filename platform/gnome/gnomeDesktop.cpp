#include "platform/gnome/gnomeDesktop.h"

#include <linux/input-event-codes.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/gnome/gnomeImpl.h"
#include "platform/linux/keysyms.h"
#include "platform/linux/launch.h"
#include "platform/linux/titleMatch.h"

namespace keyloom::platform {
namespace {

constexpr const char* kShell = "org.keyloom.Shell";
constexpr const char* kShellPath = "/org/keyloom/Shell";
constexpr const char* kShellInterface = "org.keyloom.Shell1";
constexpr int kCallTimeoutMs = 5000;
// Mutter makes its virtual devices with the first event sent to each, which
// they do not pass on; they are ready a moment later.
constexpr std::chrono::milliseconds kDeviceWarmUp{300};
// Time for an event to pass mutter's input thread (which shows nothing of
// its progress) on a busy machine, without the extension.
constexpr std::chrono::milliseconds kInputThreadLag{20};
// The key the extension takes as a barrier, and the longest wait for it.
constexpr std::uint32_t kBarrierKey = 0x1008ff49;  // XF86Launch9
constexpr std::chrono::seconds kBarrierWait{2};
constexpr std::uint32_t kShiftL = 0xffe1;
constexpr std::uint32_t kNumLock = 0xff7f;
constexpr std::uint32_t kScrollLock = 0xff14;

GDBusConnection* connectSessionBus(std::string* error) {
    GError* err = nullptr;
    gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &err);
    GDBusConnection* bus = nullptr;
    if (address != nullptr)
        bus = g_dbus_connection_new_for_address_sync(
            address,
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &err);
    g_free(address);
    if (bus == nullptr && error != nullptr)
        *error = std::string("cannot reach the session bus: ") + (err ? err->message : "");
    if (err != nullptr) g_error_free(err);
    return bus;
}

bool hasOwner(GDBusConnection* bus, const char* name) {
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "NameHasOwner", g_variant_new("(s)", name), G_VARIANT_TYPE("(b)"),
        G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, nullptr);
    gboolean owned = FALSE;
    if (reply != nullptr) {
        g_variant_get(reply, "(b)", &owned);
        g_variant_unref(reply);
    }
    return owned != FALSE;
}

struct Window {
    std::uint64_t id = 0;
    std::string title;
    long pid = 0;
};

// The normal windows, the topmost first; empty without the extension.
std::vector<Window> listWindows(GnomeDesktop::Impl& impl) {
    std::vector<Window> windows;
    GVariant* reply = impl.extension("ListWindows", nullptr, "(a(tsi))");
    if (reply == nullptr) return windows;
    GVariantIter* iter = nullptr;
    g_variant_get(reply, "(a(tsi))", &iter);
    guint64 id = 0;
    const gchar* title = nullptr;
    gint32 pid = 0;
    while (g_variant_iter_next(iter, "(t&si)", &id, &title, &pid))
        windows.push_back({id, title, pid});
    g_variant_iter_free(iter);
    g_variant_unref(reply);
    return windows;
}

bool activate(GnomeDesktop::Impl& impl, std::uint64_t id) {
    GVariant* reply = impl.extension("Activate", g_variant_new("(t)", id), "(b)");
    gboolean focused = FALSE;
    if (reply != nullptr) {
        g_variant_get(reply, "(b)", &focused);
        g_variant_unref(reply);
    }
    return focused != FALSE;
}

}  // namespace

GnomeDesktop::Impl::~Impl() {
    if (bus != nullptr) {
        releaseAll();
        if (!sessionPath.empty()) session("Stop", nullptr);
        if (transferSignal != 0) g_dbus_connection_signal_unsubscribe(bus, transferSignal);
        g_dbus_connection_flush_sync(bus, nullptr, nullptr);
        g_object_unref(bus);
    }
    if (context != nullptr) {
        dispatch();
        g_main_context_unref(context);
    }
    if (xkb != nullptr) xkb_context_unref(xkb);
}

GVariant* GnomeDesktop::Impl::call(const char* service, const char* path, const char* interface,
                                   const char* method, GVariant* args, const char* replyType,
                                   std::string* error) {
    GError* err = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        bus, service, path, interface, method, args,
        replyType != nullptr ? G_VARIANT_TYPE(replyType) : nullptr, G_DBUS_CALL_FLAGS_NONE,
        kCallTimeoutMs, nullptr, &err);
    if (err != nullptr) {
        g_dbus_error_strip_remote_error(err);
        if (error != nullptr) *error = err->message;
        g_error_free(err);
    }
    return reply;
}

bool GnomeDesktop::Impl::session(const char* method, GVariant* args, std::string* error) {
    GVariant* reply =
        call(kMutter, sessionPath.c_str(), kSessionInterface, method, args, nullptr, error);
    if (reply == nullptr) return false;
    g_variant_unref(reply);
    return true;
}

GVariant* GnomeDesktop::Impl::extension(const char* method, GVariant* args,
                                        const char* replyType) {
    if (!hasExtension) {
        if (args != nullptr) g_variant_unref(g_variant_ref_sink(args));
        return nullptr;
    }
    return call(kShell, kShellPath, kShellInterface, method, args, replyType);
}

void GnomeDesktop::Impl::dispatch() {
    while (g_main_context_iteration(context, FALSE)) {
    }
}

void GnomeDesktop::Impl::keysym(std::uint32_t sym, bool press) {
    if (sym == 0 || keysDown.count(sym) == (press ? 1U : 0U)) return;
    if (press)
        keysDown.insert(sym);
    else
        keysDown.erase(sym);
    session("NotifyKeyboardKeysym", g_variant_new("(ub)", sym, press));
    if (press && (sym == kCapsLock || sym == kNumLock || sym == kScrollLock) &&
        locksOn.erase(sym) == 0)
        locksOn.insert(sym);
    inputSent();
}

void GnomeDesktop::Impl::inputSent() {
    lastInput = std::chrono::steady_clock::now();
    unsettled = true;
}

namespace {

std::uint32_t barriers(GnomeDesktop::Impl& impl) {
    GVariant* reply = impl.extension("Barriers", nullptr, "(u)");
    guint32 count = 0;
    if (reply != nullptr) {
        g_variant_get(reply, "(u)", &count);
        g_variant_unref(reply);
    }
    return count;
}

}  // namespace

void GnomeDesktop::Impl::settle() {
    if (!unsettled) return;
    unsettled = false;
    if (!hasExtension || layoutKeysyms.count(kBarrierKey) == 0) {
        std::this_thread::sleep_until(lastInput + kInputThreadLag);
        return;
    }
    const std::uint32_t before = barriers(*this);
    session("NotifyKeyboardKeysym", g_variant_new("(ub)", kBarrierKey, TRUE));
    session("NotifyKeyboardKeysym", g_variant_new("(ub)", kBarrierKey, FALSE));
    const auto giveUp = std::chrono::steady_clock::now() + kBarrierWait;
    while (barriers(*this) == before && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void GnomeDesktop::Impl::releaseAll() {
    for (std::uint32_t sym : std::set<std::uint32_t>(keysDown)) keysym(sym, false);
    for (std::int32_t button : buttonsDown)
        session("NotifyPointerButton", g_variant_new("(ib)", button, FALSE));
    buttonsDown.clear();
}

bool GnomeDesktop::available() {
    // The compositor's socket is there ($WAYLAND_DISPLAY: a name in the
    // runtime folder, or a path).
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (display == nullptr) return false;
    const std::string socket = display[0] == '/' ? display
                               : runtime != nullptr ? std::string(runtime) + "/" + display
                                                    : "";
    struct stat info {};
    if (socket.empty() || stat(socket.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode)) return false;
    GDBusConnection* bus = connectSessionBus(nullptr);
    if (bus == nullptr) return false;
    const bool found = hasOwner(bus, kMutter);
    g_object_unref(bus);
    return found;
}

std::unique_ptr<GnomeDesktop> GnomeDesktop::open(std::string* error) {
    auto impl = std::make_unique<Impl>();
    // The connection's signals come to a context of its own, run while the
    // desktop waits for them.
    impl->context = g_main_context_new();
    g_main_context_push_thread_default(impl->context);
    impl->bus = connectSessionBus(error);
    g_main_context_pop_thread_default(impl->context);
    if (impl->bus == nullptr) return nullptr;
    if (!impl->startSession(error)) return nullptr;
    impl->hasShell = hasOwner(impl->bus, "org.gnome.Shell");
    impl->hasExtension = hasOwner(impl->bus, kShell);
    impl->readLayout();
    impl->input = EvdevInput::open(&impl->inputUnseen);
    // The keyboard and the pointer come into being.
    impl->session("NotifyKeyboardKeysym", g_variant_new("(ub)", kShiftL, TRUE));
    impl->session("NotifyKeyboardKeysym", g_variant_new("(ub)", kShiftL, FALSE));
    impl->session("NotifyPointerMotionRelative", g_variant_new("(dd)", 0.0, 0.0));
    std::this_thread::sleep_for(kDeviceWarmUp);
    std::unique_ptr<GnomeDesktop> desktop(new GnomeDesktop(std::move(impl)));
    desktop->impl_->cursor = desktop->getCursorPos();
    return desktop;
}

GnomeDesktop::GnomeDesktop(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

GnomeDesktop::~GnomeDesktop() = default;

bool GnomeDesktop::hasShell() const {
    return impl_->hasShell;
}

bool GnomeDesktop::hasExtension() const {
    return impl_->hasExtension;
}

const std::string& GnomeDesktop::relativePointer() const {
    return impl_->relativePointer;
}

void GnomeDesktop::sync() {
    // Whoever sent the input before.
    impl_->unsettled = true;
    impl_->settle();
    if (GVariant* reply = impl_->extension("Sync", nullptr, nullptr)) {
        g_variant_unref(reply);
        return;
    }
    if (GVariant* reply = impl_->call(kMutter, kMutterPath, "org.freedesktop.DBus.Peer", "Ping",
                                      nullptr, nullptr))
        g_variant_unref(reply);
}

void GnomeDesktop::keybdEvent(std::uint8_t vk, std::uint8_t, std::uint32_t flags) {
    impl_->keysym(keysymForVirtualKey(vk), (flags & kKeyUp) == 0);
}

void GnomeDesktop::mouseEvent(std::uint32_t flags) {
    const bool left = flags == kLeftDown || flags == kLeftUp;
    const bool press = flags == kLeftDown || flags == kRightDown;
    if (!left && flags != kRightDown && flags != kRightUp) return;
    const std::int32_t button = left ? BTN_LEFT : BTN_RIGHT;
    // A button goes down once and up once.
    if (impl_->buttonsDown.count(button) == (press ? 1U : 0U)) return;
    if (press)
        impl_->buttonsDown.insert(button);
    else
        impl_->buttonsDown.erase(button);
    impl_->session("NotifyPointerButton", g_variant_new("(ib)", button, press));
    impl_->inputSent();
}

Point GnomeDesktop::getCursorPos() {
    impl_->settle();
    GVariant* reply = impl_->extension("Pointer", nullptr, "(iiu)");
    if (reply == nullptr) return impl_->cursor;
    gint32 x = 0, y = 0;
    guint32 mods = 0;
    g_variant_get(reply, "(iiu)", &x, &y, &mods);
    g_variant_unref(reply);
    return {x, y};
}

bool GnomeDesktop::lockKeyOn(LockKey key) {
    const bool pressedOn = impl_->locksOn.count(key == LockKey::Caps  ? kCapsLock
                                                : key == LockKey::Num ? kNumLock
                                                                      : kScrollLock) != 0;
    // Scroll Lock is no modifier of GNOME's layouts: only our presses tell it.
    if (key == LockKey::Scroll) return pressedOn;
    GVariant* reply = impl_->extension("Pointer", nullptr, "(iiu)");
    if (reply == nullptr) return pressedOn;
    gint32 x = 0, y = 0;
    guint32 mods = 0;
    g_variant_get(reply, "(iiu)", &x, &y, &mods);
    g_variant_unref(reply);
    // Clutter's modifier mask: Lock is Caps Lock, Mod2 is Num Lock.
    constexpr guint32 kLock = 1U << 1, kMod2 = 1U << 4;
    return (mods & (key == LockKey::Caps ? kLock : kMod2)) != 0;
}

bool GnomeDesktop::activateWindow(const std::string& wanted) {
    const std::vector<Window> windows = listWindows(*impl_);
    std::vector<std::string> titles;
    for (const Window& w : windows) titles.push_back(w.title);
    auto match = matchTitle(titles, wanted);
    return match && activate(*impl_, windows[*match].id);
}

std::optional<long> GnomeDesktop::startProgram(const std::string& commandLine) {
    // The windows that exist now are not the new program's.
    std::uint64_t next = 0;
    for (const Window& w : listWindows(*impl_)) next = std::max(next, w.id + 1);
    std::optional<long> pid = startCommandLine(commandLine);
    if (pid) impl_->started[*pid] = next;
    return pid;
}

bool GnomeDesktop::activateProcessWindow(long pid) {
    auto started = impl_->started.find(pid);
    if (started == impl_->started.end()) return false;
    // A window of the process or of one it started; else the first window
    // that came after it started.
    const Window* found = nullptr;
    const std::vector<Window> windows = listWindows(*impl_);
    for (const Window& w : windows)
        if (w.id >= started->second && descendsFrom(w.pid, pid)) found = &w;
    const Window* first = nullptr;
    for (const Window& w : windows)
        if (w.id >= started->second && (first == nullptr || w.id < first->id)) first = &w;
    if (found == nullptr) found = first;
    if (found == nullptr || !activate(*impl_, found->id)) return false;
    impl_->started.erase(started);
    return true;
}

bool GnomeDesktop::openDocument(const std::string& path) {
    return openWithDefaultApplication(path);
}

std::int16_t GnomeDesktop::getAsyncKeyState(int vk) {
    return impl_->input ? impl_->input->keyState(vk) : 0;
}

KeySet GnomeDesktop::keysDown() {
    return impl_->input ? impl_->input->keysDown() : KeySet{};
}

bool GnomeDesktop::seesInput() {
    return impl_->input != nullptr;
}

const std::string& GnomeDesktop::inputUnseen() const {
    return impl_->inputUnseen;
}

bool GnomeDesktop::stopKeyPressed() {
    const bool key = impl_->input && impl_->input->stopKeyPressed();
    return impl_->runStops.stopAsked() || key;
}

bool GnomeDesktop::claimRun() {
    impl_->runStops.listen();
    return true;
}

void GnomeDesktop::endRun() {
    impl_->runStops.close();
}

}  // namespace keyloom::platform
