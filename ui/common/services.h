// What the program's windows are given when they are created: the desktop,
// the toolkit, the run state, the file routines' context, the window registry,
// and the way to end the whole program at once.
#pragma once

#include <functional>

#include "engine/globalVariables.h"
#include "files/fileRoutine.h"
#include "platform/platform.h"
#include "ui/common/windowRegistry.h"
#include "ui/common/wxToolkit.h"

namespace keyloom::ui {

struct Services {
    platform::Desktop& desktop;
    WxToolkit& toolkit;
    RunState& state;
    // The main list and the run state, for the file routines that end by
    // setting lastIndex.
    fileRoutine::Context files;
    WindowRegistry& windows;
    // Closes every window now, without the main window's closing steps; a
    // run in progress acts no further. The program then ends.
    std::function<void()> endProgram;
};

}  // namespace keyloom::ui
