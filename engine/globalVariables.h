// The run state shared by the runner, the commands and the list editing.
// One object, owned by the application (a test makes a fresh one).
#pragma once

#include <cstdint>
#include <string>

namespace keyloom {

// Entry indices and all index arithmetic of the engine.
using Index = std::int64_t;

struct RunState {
    // 1 once a stop was asked for, else 0. Run sets it to 0, Stop to 1.
    int stopFlag = 0;
    // The highest entry index that a pass of the runner visits.
    Index lastIndex = 0;
    // The token being dispatched, and the index of its entry.
    std::string curToken;
    Index curEntry = 0;
    // Entry index and pass count of the Repeat that ran last.
    Index repeatStart = 0;
    std::int32_t repeatCount = 0;

    // Runs in progress: a Run pressed while a command lets events run nests.
    int runDepth = 0;
    // The program is going away: the run stops acting at once.
    bool abandoned = false;
    // The last run ended because the user declined to go on after a failed
    // window activation (SetFocus answered No). Run sets it to false.
    bool focusDeclined = false;
};

}  // namespace keyloom
