#include "platform/kde/kdeClipboard.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <condition_variable>
#include <csignal>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "wlr-data-control-unstable-v1-client-protocol.h"

namespace keyloom::platform {
namespace {

using Contents = std::vector<std::pair<std::string, std::string>>;  // MIME type, bytes

// How long a program may take between two pieces of what it sends us.
constexpr int kReadPause = 1000;  // ms
constexpr auto kCompositorWithin = std::chrono::seconds(2);

const char* const kTextTypes[] = {"text/plain;charset=utf-8", "text/plain", "UTF8_STRING",
                                  "STRING", "TEXT"};

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Waits until the reader has taken everything out of the pipe (or left).
void awaitDrained(int fd) {
    for (int i = 0; i < kReadPause; ++i) {
        int queued = 0;
        if (ioctl(fd, FIONREAD, &queued) != 0 || queued == 0) return;
        pollfd p{fd, 0, 0};
        if (poll(&p, 1, 1) > 0 && (p.revents & (POLLERR | POLLHUP)) != 0) return;
    }
}

}  // namespace

struct Clipboard::Impl {
    ~Impl();
    void run();
    // Has the compositor make the selection this source (or none).
    bool select(zwlr_data_control_source_v1* source, std::unique_lock<std::mutex>& lock);
    zwlr_data_control_source_v1* newSource(const Contents& contents);
    // Every type of the selection offered now (it unlocks while it reads).
    Contents readSelection(std::unique_lock<std::mutex>& lock);

    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_seat* seat = nullptr;
    zwlr_data_control_manager_v1* manager = nullptr;
    zwlr_data_control_device_v1* device = nullptr;
    int wake[2] = {-1, -1};
    std::thread worker;

    // Below: under `mutex`, which the worker holds while it dispatches.
    std::mutex mutex;
    std::condition_variable changed;
    bool stopping = false, broken = false;
    std::map<zwlr_data_control_offer_v1*, std::vector<std::string>> offers;  // their types
    zwlr_data_control_offer_v1* selection = nullptr;
    std::map<zwlr_data_control_source_v1*, Contents> sources;  // ours, still offered
    zwlr_data_control_source_v1* pasted = nullptr;             // the text offered last
    bool taken = false;
    zwlr_data_control_source_v1* restored = nullptr;  // what was there before, put back
    bool keeping = false;                             // `before` holds what was there
    bool hadSelection = false;
    Contents before;
};

namespace {

void onOfferType(void* data, zwlr_data_control_offer_v1* offer, const char* type) {
    static_cast<Clipboard::Impl*>(data)->offers[offer].push_back(type);
}
const zwlr_data_control_offer_v1_listener kOfferListener = {onOfferType};

void onDataOffer(void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
    auto* impl = static_cast<Clipboard::Impl*>(data);
    impl->offers[offer];
    zwlr_data_control_offer_v1_add_listener(offer, &kOfferListener, impl);
}
void dropOffer(Clipboard::Impl* impl, zwlr_data_control_offer_v1* offer) {
    if (offer == nullptr) return;
    impl->offers.erase(offer);
    zwlr_data_control_offer_v1_destroy(offer);
}
void onSelection(void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
    auto* impl = static_cast<Clipboard::Impl*>(data);
    if (impl->selection != offer) dropOffer(impl, impl->selection);
    impl->selection = offer;
}
void onFinished(void* data, zwlr_data_control_device_v1* device) {
    auto* impl = static_cast<Clipboard::Impl*>(data);
    zwlr_data_control_device_v1_destroy(device);
    impl->device = nullptr;
    impl->broken = true;
}
void onPrimarySelection(void* data, zwlr_data_control_device_v1*,
                        zwlr_data_control_offer_v1* offer) {
    dropOffer(static_cast<Clipboard::Impl*>(data), offer);
}
const zwlr_data_control_device_v1_listener kDeviceListener = {onDataOffer, onSelection,
                                                              onFinished, onPrimarySelection};

void onSend(void* data, zwlr_data_control_source_v1* source, const char* type, std::int32_t fd) {
    auto* impl = static_cast<Clipboard::Impl*>(data);
    const Contents& contents = impl->sources[source];
    auto it = std::find_if(contents.begin(), contents.end(),
                           [type](const auto& c) { return c.first == type; });
    if (it != contents.end() && writeAll(fd, it->second) && source == impl->pasted) {
        // The program has the text before it takes the keys that follow.
        awaitDrained(fd);
        impl->taken = true;
    }
    close(fd);
}
void onCancelled(void* data, zwlr_data_control_source_v1* source) {
    auto* impl = static_cast<Clipboard::Impl*>(data);
    impl->sources.erase(source);
    if (source == impl->pasted) impl->pasted = nullptr;
    if (source == impl->restored) impl->restored = nullptr;
    zwlr_data_control_source_v1_destroy(source);
}
const zwlr_data_control_source_v1_listener kSourceListener = {onSend, onCancelled};

void onDone(void* data, wl_callback* callback, std::uint32_t) {
    if (data != nullptr) *static_cast<bool*>(data) = true;
    wl_callback_destroy(callback);
}
const wl_callback_listener kDoneListener = {onDone};

void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
            std::uint32_t) {
    auto* impl = static_cast<Clipboard::Impl*>(data);
    const std::string which = interface;
    if (which == wl_seat_interface.name && impl->seat == nullptr)
        impl->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (which == zwlr_data_control_manager_v1_interface.name)
        impl->manager = static_cast<zwlr_data_control_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_data_control_manager_v1_interface, 1));
}
void globalRemove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistryListener = {global, globalRemove};

}  // namespace

Clipboard::Impl::~Impl() {
    if (worker.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
        }
        (void)!write(wake[1], "x", 1);
        worker.join();
    }
    for (int fd : wake)
        if (fd >= 0) close(fd);
    if (display == nullptr) return;
    for (const auto& s : sources) zwlr_data_control_source_v1_destroy(s.first);
    for (const auto& o : offers) zwlr_data_control_offer_v1_destroy(o.first);
    if (device != nullptr) zwlr_data_control_device_v1_destroy(device);
    if (manager != nullptr) zwlr_data_control_manager_v1_destroy(manager);
    if (seat != nullptr) wl_seat_destroy(seat);
    if (registry != nullptr) wl_registry_destroy(registry);
    wl_display_flush(display);
    wl_display_disconnect(display);
}

void Clipboard::Impl::run() {
    // A reader that leaves early makes a write fail, not end the program.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    pollfd fds[2] = {{wl_display_get_fd(display), POLLIN, 0}, {wake[0], POLLIN, 0}};
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopping && !broken) {
        while (wl_display_prepare_read(display) != 0) wl_display_dispatch_pending(display);
        wl_display_flush(display);
        lock.unlock();
        poll(fds, 2, -1);
        lock.lock();
        if ((fds[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0) {
            if (wl_display_read_events(display) < 0) broken = true;
        } else {
            wl_display_cancel_read(display);
        }
        if (wl_display_dispatch_pending(display) < 0) broken = true;
        changed.notify_all();
    }
    broken = true;
    changed.notify_all();
}

bool Clipboard::Impl::select(zwlr_data_control_source_v1* source,
                             std::unique_lock<std::mutex>& lock) {
    if (device == nullptr) return false;
    zwlr_data_control_device_v1_set_selection(device, source);
    bool done = false;
    wl_callback* callback = wl_display_sync(display);
    wl_callback_add_listener(callback, &kDoneListener, &done);
    wl_display_flush(display);
    changed.wait_for(lock, kCompositorWithin, [&] { return done || broken; });
    if (!done) wl_proxy_set_user_data(reinterpret_cast<wl_proxy*>(callback), nullptr);
    return done;
}

zwlr_data_control_source_v1* Clipboard::Impl::newSource(const Contents& contents) {
    auto* source = zwlr_data_control_manager_v1_create_data_source(manager);
    zwlr_data_control_source_v1_add_listener(source, &kSourceListener, this);
    for (const auto& c : contents) zwlr_data_control_source_v1_offer(source, c.first.c_str());
    sources[source] = contents;
    return source;
}

Contents Clipboard::Impl::readSelection(std::unique_lock<std::mutex>& lock) {
    Contents contents;
    auto* offer = selection;
    if (offer == nullptr) return contents;
    const std::vector<std::string> types = offers[offer];
    for (const std::string& type : types) {
        if (selection != offer) break;  // replaced meanwhile
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) break;
        zwlr_data_control_offer_v1_receive(offer, type.c_str(), fds[1]);
        wl_display_flush(display);
        close(fds[1]);
        lock.unlock();
        std::string bytes;
        char buffer[65536];
        pollfd p{fds[0], POLLIN, 0};
        bool complete = false;
        while (poll(&p, 1, kReadPause) > 0) {
            ssize_t n = read(fds[0], buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                complete = n == 0;
                break;
            }
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
        close(fds[0]);
        lock.lock();
        if (complete) contents.emplace_back(type, std::move(bytes));
    }
    return contents;
}

std::unique_ptr<Clipboard> Clipboard::open(std::string* error) {
    auto fail = [error](const std::string& why) {
        if (error != nullptr) *error = why;
        return nullptr;
    };
    auto impl = std::make_unique<Impl>();
    impl->display = wl_display_connect(nullptr);
    if (impl->display == nullptr) return fail("cannot connect to the Wayland compositor");
    impl->registry = wl_display_get_registry(impl->display);
    wl_registry_add_listener(impl->registry, &kRegistryListener, impl.get());
    wl_display_roundtrip(impl->display);
    if (impl->manager == nullptr || impl->seat == nullptr)
        return fail("the compositor offers no clipboard to us (zwlr_data_control_manager_v1)");
    impl->device = zwlr_data_control_manager_v1_get_data_device(impl->manager, impl->seat);
    zwlr_data_control_device_v1_add_listener(impl->device, &kDeviceListener, impl.get());
    // The selection of now comes first (KWin tells none when there is none).
    wl_display_roundtrip(impl->display);
    if (pipe2(impl->wake, O_CLOEXEC) != 0) return fail("no pipe");
    impl->worker = std::thread([p = impl.get()] { p->run(); });
    return std::unique_ptr<Clipboard>(new Clipboard(std::move(impl)));
}

Clipboard::Clipboard(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Clipboard::~Clipboard() = default;

bool Clipboard::offer(const std::string& text) {
    Impl& impl = *impl_;
    std::unique_lock<std::mutex> lock(impl.mutex);
    if (impl.broken) return false;
    // Unless what was there is ours already, offered again by restore().
    if (!impl.keeping && impl.restored == nullptr) {
        impl.hadSelection = impl.selection != nullptr;
        impl.before = impl.readSelection(lock);
    }
    impl.keeping = true;
    Contents contents;
    for (const char* type : kTextTypes) contents.emplace_back(type, text);
    impl.pasted = impl.newSource(contents);
    impl.taken = false;
    return impl.select(impl.pasted, lock);
}

bool Clipboard::awaitTaken(std::chrono::milliseconds within) {
    std::unique_lock<std::mutex> lock(impl_->mutex);
    return impl_->changed.wait_for(lock, within, [this] { return impl_->taken || impl_->broken; }) &&
           impl_->taken;
}

void Clipboard::restore() {
    Impl& impl = *impl_;
    std::unique_lock<std::mutex> lock(impl.mutex);
    if (!impl.keeping || impl.broken) return;
    impl.keeping = false;
    impl.restored = impl.hadSelection ? impl.newSource(impl.before) : nullptr;
    impl.select(impl.restored, lock);
}

}  // namespace keyloom::platform
