#include "ui/main/windows.h"

#include "ui/main/aboutT.h"
#include "ui/main/mouseTrackFrame.h"

namespace keyloom::ui {

// The editor (WindowId::Editor) and the recorder (WindowId::Recorder) are
// registered here with their own factories; Build, Edit and Build, Record
// show whatever is registered under those names.
void registerWindows(WindowRegistry& registry, Services& services) {
    registry.add(WindowId::Tracker, [&services] { return new mouseTrackFrame(services.desktop); },
                 false);
    registry.add(WindowId::About, [] { return new aboutT(); });
}

}  // namespace keyloom::ui
