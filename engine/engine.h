// The playback engine: walks the macro list, cuts each entry into tokens and
// hands them to the dispatcher. Everything a command needs is reached from here.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "actions/heldInput.h"
#include "engine/globalVariables.h"
#include "engine/macroList.h"
#include "platform/platform.h"

namespace keyloom {

inline constexpr const char* kAppTitle = "Tervel's Keyloom";

class Engine {
public:
    Engine(RunState& state, MacroList& list, platform::Desktop& desktop, platform::Toolkit toolkit);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // The Run button: clears the stop flag and runs the whole list; a Run
    // pressed while a command lets events run nests inside the run in progress
    // (passed over during a SendText, and while the run waits for the desktop).
    void command2Click();
    // The Stop button: the run ends at its next stop test.
    void command1Click();
    // Runs the list once, or again from the top after each Loop.
    void runList();
    // The program is going away: nothing more is sent, held keys are released,
    // and every run in progress ends as soon as control comes back to it.
    void abandon();

    bool running() const { return state.runDepth > 0; }

    // For the commands.
    RunState& state;
    MacroList& list;
    platform::Desktop& desktop;
    platform::Toolkit toolkit;
    HeldInput input;
    // Where a command reports a skipped entry (the player prints it).
    std::function<void(const std::string&)> warn;

    // Entry `index` as stored now; empty past the end of the list.
    std::string entryText(Index index) const;
    // The argument of entry `index` by the argument rule.
    std::string argument(Index index) const;
    // A stop test: takes in stop requests from outside the program's windows
    // and answers whether the run is to stop.
    bool stopTest();
    // Types through the desktop, letting window events run and testing for a
    // stop between slices of the text. A Run pressed meanwhile is passed over:
    // the typing in progress cannot take another inside it.
    void typeKeys(const std::string& text, const std::vector<platform::KeyStroke>& strokes);
    // End_Repeat at entry `e`: the further passes of the block run before the
    // next token of the entry.
    void endRepeat(Index e);
    // Loop: the pass in progress ends and a new one begins at entry 0.
    void loop();

private:
    struct Run;
    void drive(Run& run);
    // Before the outermost run: waits while another run has the desktop;
    // false when a stop came first.
    bool claimDesktop();
    void releaseAfterOutermostRun();
    // Called at every step of a run: now and then lets window events run and
    // tests for a stop, so that the window repaints and answers Stop and
    // closing during long lists and blocks.
    void pulse();

    Run* current_ = nullptr;
    // A Run pressed meanwhile is passed over: while typing, and while the
    // run waits for the desktop (a run inside it would act unclaimed).
    bool refuseRun_ = false;
    unsigned steps_ = 0;
    double nextPulse_ = 0;
};

}  // namespace keyloom
