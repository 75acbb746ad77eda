#include "ui/main/windows.h"

#include "ui/editor/macroEditorFrame.h"
#include "ui/main/aboutT.h"
#include "ui/main/mouseTrackFrame.h"
#include "ui/recorder/mRecordFrame.h"

namespace keyloom::ui {

// Build, Edit and Build, Record show the editor and the recorder; the
// recorder also loads the editor, hidden, to save through its dialog.
void registerWindows(WindowRegistry& registry, Services& services) {
    registry.add(WindowId::Editor, [&services] { return new macroEditorFrame(services); });
    registry.add(WindowId::Recorder, [&services] { return new mRecordFrame(services); });
    registry.add(WindowId::Tracker, [&services] { return new mouseTrackFrame(services.desktop); },
                 false);
    registry.add(WindowId::About, [] { return new aboutT(); });
}

}  // namespace keyloom::ui
