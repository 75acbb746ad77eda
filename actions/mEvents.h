// Mouse commands: MouseMove and the button commands.
#pragma once

#include <optional>
#include <string_view>

#include "engine/globalVariables.h"
#include "platform/platform.h"

namespace keyloom {
class Engine;
namespace mEvents {

// The point of a MouseMove argument "x,y" (blanks after the comma skipped;
// with three numbers the third is y), or nothing when a coordinate is no
// 16-bit number.
std::optional<platform::Point> parseMouseMove(std::string_view argument);

void mouseMove(Engine& engine, Index entry);
void lDown(Engine& engine, Index entry);
void lUp(Engine& engine, Index entry);
void lClick(Engine& engine, Index entry);
void lDblClick(Engine& engine, Index entry);
void rDown(Engine& engine, Index entry);
void rUp(Engine& engine, Index entry);
void rClick(Engine& engine, Index entry);
void rDblClick(Engine& engine, Index entry);

}  // namespace mEvents
}  // namespace keyloom
