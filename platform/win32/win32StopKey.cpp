// The stop key: presses of Pause, read with GetAsyncKeyState at each stop
// test ("down now", or "pressed since the last query" for a press that came
// and went between two tests). Watching every key as it passes (a low-level
// keyboard hook, raw input) would make each synthetic key we send wait for
// the watcher: under Wine a run with a hook sends 2% of the keys it could.
//
// The Pause presses that we inject ourselves (Press_Pause, "{BREAK}") are no
// stop key: a test that finds presses of ours pending takes them for ours.
#include <windows.h>

#include "platform/win32/win32Desktop.h"

namespace keyloom::platform {

void Win32Desktop::expectOwnPause() { ownPauses_ = true; }

bool Win32Desktop::stopKeyPressed() {
    SHORT state = GetAsyncKeyState(VK_PAUSE);
    bool down = state < 0;
    bool pressed = (state & 1) != 0 || (down && !pauseWasDown_);
    pauseWasDown_ = down;
    if (!pressed) return false;
    bool ours = ownPauses_;
    ownPauses_ = false;
    return !ours;
}

}  // namespace keyloom::platform
