// The runner. Blocks of Repeat/End_Repeat nest as deep as the list is long, so
// the runner keeps its own stack of frames instead of recursing: a list of a
// million End_Repeat entries cannot overflow the machine stack.
#include <string_view>
#include <vector>

#include "engine/engine.h"
#include "engine/macCommands.h"
#include "engine/parser.h"

namespace keyloom {

struct Frame {
    enum class Kind { Entry, Block, Range };
    explicit Frame(Kind k) : kind(k) {}
    Kind kind;
    Index index = 0;      // Entry: its index. Block: the End_Repeat entry.
    std::string text;     // Entry: its text as read
    std::size_t pos = 0;  // Entry: where the remaining tokens begin
    Index size = 0;       // Block: entries per pass
    std::int64_t passes = 0;
    Index next = 0;       // Range: the next entry to run
    Index last = 0;       // Range: the last entry of the range
    Index remaining = 0;  // Range: how many entries may still run
};

struct Engine::Run {
    std::vector<Frame> frames;
    bool loopRequested = false;
};

Engine::Engine(RunState& s, MacroList& l, platform::Desktop& d, platform::Toolkit t)
    : state(s), list(l), desktop(d), toolkit(t), input(d, s) {}

Engine::~Engine() = default;

namespace {

// How often a run lets window events run at the least, and how often it
// looks again whether another run still has the desktop.
constexpr double kPulseInterval = 0.01;
constexpr double kClaimPoll = 0.05;
// Steps of a run between two looks at the clock.
constexpr unsigned kStepsPerClockRead = 256;

}  // namespace

void Engine::command2Click() {
    if (refuseRun_) return;
    state.stopFlag = 0;
    state.focusDeclined = false;
    runList();
}

void Engine::command1Click() { state.stopFlag = 1; }

void Engine::abandon() {
    state.abandoned = true;
    state.stopFlag = 1;
    input.releaseAll();
}

std::string Engine::entryText(Index index) const {
    if (index < 0 || index >= list.count()) return {};
    return list.entry(index);
}

std::string Engine::argument(Index index) const {
    return std::string(parser::argumentOf(entryText(index)));
}

void Engine::typeKeys(const std::string& text, const std::vector<platform::KeyStroke>& strokes) {
    if (state.abandoned) return;
    refuseRun_ = true;
    desktop.typeKeys(text, strokes, [this] {
        toolkit.events.letEventsRun();
        return stopTest();
    });
    refuseRun_ = false;
    // Text that could not be typed is said, as a text the notation rejects is.
    if (std::string why = desktop.typingFailure(); !why.empty() && !state.abandoned)
        toolkit.dialogs.messageBox("Cannot type this text: " + why + ".", kAppTitle,
                                   platform::MessageStyle::Ok);
}

void Engine::pulse() {
    if (++steps_ % kStepsPerClockRead != 0) return;
    const double now = toolkit.events.now();
    if (now < nextPulse_) return;
    nextPulse_ = now + kPulseInterval;
    toolkit.events.letEventsRun();
    stopTest();
}

bool Engine::claimDesktop() {
    if (desktop.claimRun()) return true;
    if (warn) warn("another Keyloom run is acting on this desktop: waiting until it ends");
    const platform::StopCheck stop = [this] { return stopTest(); };
    bool claimed = false;
    refuseRun_ = true;
    while (!claimed && !stopTest()) {
        toolkit.events.waitUnlessStopped(toolkit.events.now() + kClaimPoll, stop);
        claimed = desktop.claimRun();
    }
    refuseRun_ = false;
    return claimed;
}

bool Engine::stopTest() {
    if (!state.abandoned) {
        platform::StopRequest request = toolkit.events.pendingStop();
        if (request == platform::StopRequest::Abandon) abandon();
        if (request != platform::StopRequest::NoRequest || desktop.stopKeyPressed())
            state.stopFlag = 1;
    }
    return state.stopFlag == 1 || state.abandoned;
}

void Engine::endRepeat(Index e) {
    if (current_ == nullptr) return;
    Frame block(Frame::Kind::Block);
    block.index = e;
    block.size = e - state.repeatStart - 1;
    current_->frames.push_back(std::move(block));
}

void Engine::loop() {
    if (stopTest() || current_ == nullptr) return;
    current_->loopRequested = true;
}

void Engine::drive(Run& run) {
    while (!run.frames.empty()) {
        pulse();
        if (!state.abandoned && toolkit.events.pendingStop() == platform::StopRequest::Abandon)
            abandon();
        // The program is going away: no command runs any more. This is the
        // one place that says so for every command.
        if (run.loopRequested || state.abandoned) {
            run.frames.clear();
            return;
        }
        Frame& top = run.frames.back();
        switch (top.kind) {
        case Frame::Kind::Entry: {
            if (top.pos >= top.text.size()) {
                run.frames.pop_back();
                break;
            }
            std::string_view rest = std::string_view(top.text).substr(top.pos);
            std::string_view token = parser::nextToken(rest);
            top.pos = rest.empty() ? top.text.size() : top.text.size() - rest.size();
            state.curToken.assign(token);
            state.curEntry = top.index;
            doCommand(*this, top.index);  // may push frames: `top` is stale now
            break;
        }
        case Frame::Kind::Block: {
            if (top.passes >= static_cast<std::int64_t>(state.repeatCount) - 1 || stopTest()) {
                run.frames.pop_back();
                break;
            }
            ++top.passes;
            Frame range(Frame::Kind::Range);
            range.next = state.repeatStart + 1;
            range.last = top.index - 1;
            range.remaining = top.size;
            run.frames.push_back(std::move(range));
            break;
        }
        case Frame::Kind::Range: {
            // A stop ends a block's pass before its next entry, as it ends
            // the list's: a pass may be far too long to wait for.
            if (top.remaining <= 0 || state.stopFlag == 1) {
                run.frames.pop_back();
                break;
            }
            Index i = top.next++;
            top.remaining = top.next > top.last ? 0 : top.remaining - 1;
            Frame entry(Frame::Kind::Entry);
            entry.index = i;
            entry.text = entryText(i);
            run.frames.push_back(std::move(entry));
            break;
        }
        }
    }
}

void Engine::runList() {
    // A stop key pressed while no run was going belongs to no run: let it go
    // before the first stop test. A run started inside another keeps it.
    const bool outermost = state.runDepth == 0;
    if (outermost)
        while (desktop.stopKeyPressed()) {
        }
    Run run;
    Run* outer = current_;
    current_ = &run;
    ++state.runDepth;
    struct Leave {
        Engine& engine;
        Run* outer;
        ~Leave() {
            engine.current_ = outer;
            if (--engine.state.runDepth == 0) engine.releaseAfterOutermostRun();
        }
    } leave{*this, outer};
    if (outermost) {
        if (!claimDesktop()) return;
        steps_ = 0;
        nextPulse_ = toolkit.events.now() + kPulseInterval;
    }

    for (;;) {
        const Index bound = state.lastIndex;
        for (Index i = 0; i <= bound; ++i) {
            Frame entry(Frame::Kind::Entry);
            entry.index = i;
            entry.text = entryText(i);
            pulse();
            if (stopTest()) return;
            // Past the end of the list every entry reads empty, and nothing
            // can lengthen the list before the pass is over.
            if (i >= list.count()) break;
            if (entry.text.empty()) continue;
            run.frames.push_back(std::move(entry));
            drive(run);
            if (state.abandoned) return;
            if (run.loopRequested) break;
        }
        if (!run.loopRequested) return;
        run.loopRequested = false;
        // A list whose passes let no events run must still answer Stop.
        toolkit.events.letEventsRun();
    }
}

void Engine::releaseAfterOutermostRun() {
    input.releaseAll();
    desktop.endRun();
}

}  // namespace keyloom
