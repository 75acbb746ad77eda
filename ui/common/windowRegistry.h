// The program's secondary windows, each created once when first shown and
// released when unloaded. Windows are added with a factory; a window that is
// closed in its own way (its close box) counts as unloaded from then on.
#pragma once

#include <wx/toplevel.h>
#include <wx/weakref.h>

#include <functional>
#include <map>

#include "ui/common/windows.h"

namespace keyloom::ui {

class WindowRegistry final : public Windows {
public:
    using Factory = std::function<wxTopLevelWindow*()>;

    // `activate`: showing the window gives it the focus (the tracker, which
    // follows the cursor, does not take it).
    void add(WindowId id, Factory make, bool activate = true);

    void show(WindowId id) override;
    void unload(WindowId id) override;
    bool loaded(WindowId id) const override;

    // The window when it is loaded, else nullptr; `create` loads it (hidden)
    // when it is not.
    wxTopLevelWindow* window(WindowId id, bool create = false);

    void unloadAll();

private:
    struct Slot {
        Factory make;
        bool activate = true;
        wxWeakRef<wxTopLevelWindow> window;
    };
    std::map<WindowId, Slot> slots_;
};

}  // namespace keyloom::ui
