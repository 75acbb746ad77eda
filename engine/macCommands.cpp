#include "engine/macCommands.h"

#include "engine/engine.h"
#include "engine/vocabulary.h"

namespace keyloom {

void doCommand(Engine& engine, Index entry) {
    // The words are distinct, so a lookup finds what a comparison in table
    // order would find first.
    if (const CommandWord* command = vocabulary::find(engine.state.curToken))
        command->run(engine, entry);
}

}  // namespace keyloom
