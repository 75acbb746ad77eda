// Finding and activating windows through the compositor's window list
// (zwlr_foreign_toplevel_manager_v1). Wayland tells nobody which process owns
// a window: the window of a started program is the first one announced after
// it started.
#include <time.h>

#include <algorithm>

#include "platform/linux/titleMatch.h"
#include "platform/wayland/waylandImpl.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

namespace keyloom::platform {
namespace {

void onTitle(void* data, zwlr_foreign_toplevel_handle_v1*, const char* title) {
    static_cast<Toplevel*>(data)->title = title;
}
void onAppId(void*, zwlr_foreign_toplevel_handle_v1*, const char*) {}
void onOutputEnter(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
void onOutputLeave(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
void onState(void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states) {
    auto* toplevel = static_cast<Toplevel*>(data);
    bool activated = false;
    for (auto* s = static_cast<std::uint32_t*>(states->data);
         reinterpret_cast<char*>(s) < static_cast<char*>(states->data) + states->size; ++s)
        activated = activated || *s == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED;
    toplevel->activated = activated;
}
void onDone(void*, zwlr_foreign_toplevel_handle_v1*) {}
void onClosed(void* data, zwlr_foreign_toplevel_handle_v1* handle) {
    zwlr_foreign_toplevel_handle_v1_destroy(handle);
    static_cast<Toplevel*>(data)->handle = nullptr;
}
void onParent(void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {}
const zwlr_foreign_toplevel_handle_v1_listener kToplevelListener = {
    onTitle, onAppId, onOutputEnter, onOutputLeave, onState, onDone, onClosed, onParent};

void onToplevel(void* data, zwlr_foreign_toplevel_manager_v1*,
                zwlr_foreign_toplevel_handle_v1* handle) {
    auto* impl = static_cast<WaylandDesktop::Impl*>(data);
    auto toplevel = std::make_unique<Toplevel>();
    toplevel->handle = handle;
    toplevel->serial = impl->nextSerial++;
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &kToplevelListener, toplevel.get());
    impl->toplevels.push_back(std::move(toplevel));
}
void onFinished(void*, zwlr_foreign_toplevel_manager_v1*) {}
const zwlr_foreign_toplevel_manager_v1_listener kManagerListener = {onToplevel, onFinished};

}  // namespace

void WaylandDesktop::Impl::watchToplevels() {
    zwlr_foreign_toplevel_manager_v1_add_listener(toplevelManager, &kManagerListener, this);
}

namespace {

// Takes in the compositor's news: closed windows leave the list, the focused
// one moves to its front (the list is kept with the most recently focused first).
void refresh(WaylandDesktop::Impl& impl) {
    impl.roundtrip();
    for (auto& t : impl.toplevels)
        if (t->handle == nullptr) t.reset();
    std::erase(impl.toplevels, nullptr);
    for (auto& t : impl.toplevels)
        if (t->activated) t->activatedAt = ++impl.activations;
    std::stable_sort(impl.toplevels.begin(), impl.toplevels.end(),
                     [](const auto& a, const auto& b) { return a->activatedAt > b->activatedAt; });
}

// Activates the window and waits a little for the compositor to give it the
// focus, so that keys sent next reach it.
bool activate(WaylandDesktop::Impl& impl, Toplevel& toplevel) {
    zwlr_foreign_toplevel_handle_v1_activate(toplevel.handle, impl.seat);
    constexpr int kPolls = 200;  // of 1 ms
    for (int i = 0; i < kPolls; ++i) {
        impl.roundtrip();
        if (toplevel.handle == nullptr) return false;
        if (toplevel.activated) return true;
        timespec pause{0, 1000000};
        nanosleep(&pause, nullptr);
    }
    return true;
}

}  // namespace

bool WaylandDesktop::activateWindow(const std::string& wanted) {
    if (wanted.empty() || impl_->toplevelManager == nullptr) return false;
    refresh(*impl_);
    std::vector<std::string> titles;
    for (const auto& t : impl_->toplevels) titles.push_back(t->title);
    auto match = matchTitle(titles, wanted);
    return match && activate(*impl_, *impl_->toplevels[*match]);
}

bool WaylandDesktop::activateProcessWindow(long pid) {
    auto started = impl_->started.find(pid);
    if (started == impl_->started.end() || impl_->toplevelManager == nullptr) return false;
    refresh(*impl_);
    Toplevel* first = nullptr;
    for (const auto& t : impl_->toplevels)
        if (t->serial >= started->second && (first == nullptr || t->serial < first->serial))
            first = t.get();
    if (first == nullptr) return false;
    impl_->started.erase(started);
    return activate(*impl_, *first);
}

}  // namespace keyloom::platform
