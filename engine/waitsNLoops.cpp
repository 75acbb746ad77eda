#include "engine/waitsNLoops.h"

#include "engine/engine.h"
#include "engine/number.h"

namespace keyloom::waitsNLoops {

// Pauses n - 0.5 seconds for "Wait >n", letting window events run meanwhile.
// A stop request ends the pause at once.
void wait(Engine& engine, Index entry) {
    auto seconds = toInt32(engine.argument(entry));
    if (!seconds) return;
    double pause = static_cast<double>(*seconds) - 0.5;
    if (pause <= 0) return;
    engine.toolkit.events.waitUnlessStopped(engine.toolkit.events.now() + pause,
                                            [&engine] { return engine.stopTest(); });
}

void repeat(Engine& engine, Index entry) {
    if (engine.stopTest()) return;
    engine.state.repeatStart = entry;
    // A count that fails the conversion keeps the previous count.
    if (auto count = toInt32(engine.argument(entry))) engine.state.repeatCount = *count;
}

void endRepeat(Engine& engine, Index entry) { engine.endRepeat(entry); }

void loop(Engine& engine, Index) { engine.loop(); }

}  // namespace keyloom::waitsNLoops
