// The dispatcher: matches the current token against the command words.
#pragma once

#include "engine/globalVariables.h"

namespace keyloom {

class Engine;

// Runs the command whose word equals `engine.state.curToken` exactly, letter
// case included; a token that is no command word does nothing. (The runner
// dispatches no token once the program is going away: see Engine::drive.)
void doCommand(Engine& engine, Index entry);

}  // namespace keyloom
