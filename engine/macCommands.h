// The dispatcher: matches the current token against the command words.
#pragma once

#include <span>
#include <string_view>

#include "engine/globalVariables.h"

namespace keyloom {

class Engine;

// Every command receives the index of the entry its token comes from; the
// commands without an argument ignore it.
using Command = void (*)(Engine&, Index);

struct CommandWord {
    std::string_view word;
    Command run;
};

// The command words in the order of comparison.
std::span<const CommandWord> commandTable();

// Runs the command whose word equals `engine.state.curToken` exactly, letter
// case included; a token that is no command word does nothing. (The runner
// dispatches no token once the program is going away: see Engine::drive.)
void doCommand(Engine& engine, Index entry);

}  // namespace keyloom
