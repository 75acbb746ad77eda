#include "ui/common/windowRegistry.h"

#include <wx/app.h>

namespace keyloom::ui {
namespace {

// A window that was closed is gone, although the toolkit deletes it later.
bool going(const wxTopLevelWindow* w) {
    return w->IsBeingDeleted() ||
           (wxTheApp != nullptr && wxTheApp->IsScheduledForDestruction(const_cast<wxTopLevelWindow*>(w)));
}

}  // namespace

void WindowRegistry::add(WindowId id, Factory make, bool activate) {
    Slot& slot = slots_[id];
    slot.make = std::move(make);
    slot.activate = activate;
}

wxTopLevelWindow* WindowRegistry::window(WindowId id, bool create) {
    auto it = slots_.find(id);
    if (it == slots_.end()) return nullptr;
    Slot& slot = it->second;
    // A window being destroyed is gone already.
    if (slot.window && going(slot.window.get())) slot.window = nullptr;
    if (!slot.window && create && slot.make) slot.window = slot.make();
    return slot.window.get();
}

void WindowRegistry::show(WindowId id) {
    wxTopLevelWindow* w = window(id, true);
    if (w == nullptr) return;
    auto it = slots_.find(id);
    if (it->second.activate) {
        w->Show();
        w->Raise();
    } else if (!w->IsShown()) {
        w->ShowWithoutActivating();
    }
}

void WindowRegistry::unload(WindowId id) {
    wxTopLevelWindow* w = window(id);
    if (w == nullptr) return;
    slots_[id].window = nullptr;
    w->Destroy();
}

bool WindowRegistry::loaded(WindowId id) const {
    auto it = slots_.find(id);
    return it != slots_.end() && it->second.window && !going(it->second.window.get());
}

void WindowRegistry::unloadAll() {
    for (auto& [id, slot] : slots_) unload(id);
}

}  // namespace keyloom::ui
