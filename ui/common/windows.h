// The program's secondary windows as the main window sees them. Each exists
// at most once: it is created when first shown and released when unloaded;
// the next show creates it afresh.
#pragma once

namespace keyloom::ui {

enum class WindowId { Editor, Recorder, Tracker, About };

class Windows {
public:
    virtual ~Windows() = default;
    // Creates the window when it is not loaded, then shows it (not modal).
    virtual void show(WindowId id) = 0;
    // Closes and releases the window; nothing when it is not loaded.
    virtual void unload(WindowId id) = 0;
    virtual bool loaded(WindowId id) const = 0;
};

}  // namespace keyloom::ui
