// The flow commands: Wait, Repeat, End_Repeat, Loop.
#pragma once

#include "engine/globalVariables.h"

namespace keyloom {
class Engine;
namespace waitsNLoops {

void wait(Engine& engine, Index entry);
void repeat(Engine& engine, Index entry);
void endRepeat(Engine& engine, Index entry);
void loop(Engine& engine, Index entry);

}  // namespace waitsNLoops
}  // namespace keyloom
