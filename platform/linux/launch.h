// Starting programs and opening documents, the same on every Linux desktop.
#pragma once

#include <optional>
#include <string>

namespace keyloom::platform {

// Starts the program of a command line (split as a shell would, but run by
// no shell); its process id, or nothing when it cannot be started.
std::optional<long> startCommandLine(const std::string& commandLine);

// Opens a document with the application associated with its type, or runs
// it when it is a program; false when that fails.
bool openWithDefaultApplication(const std::string& path);

// Whether `pid` is `ancestor` or was started by it (a launcher script that
// forks the real program), following parent processes.
bool descendsFrom(long pid, long ancestor);

}  // namespace keyloom::platform
