// RunProgram (module runProg) and ExecuteFile (module executeFile).
#pragma once

#include "engine/globalVariables.h"

namespace keyloom {
class Engine;

namespace runProg {
inline constexpr const char* kNotFound = "File not found!\rError 53";
// How long a started program may take to show a window that gets the focus.
inline constexpr double kWindowTimeout = 5.0;
void runProgram(Engine& engine, Index entry);
}  // namespace runProg

namespace executeFile {
inline constexpr const char* kNotFound = "File not found.";
inline constexpr const char* kErrorTitle = "Keyloom Error";
void executeFile(Engine& engine, Index entry);
}  // namespace executeFile

}  // namespace keyloom
