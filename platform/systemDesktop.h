// What the programs take from the system they run on: its desktop, their
// arguments, the standard output. X11/POSIX or Windows, chosen by the build
// (one source file per backend).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace keyloom::platform {

// Opens the desktop; nothing when it cannot be reached, with the reason in
// `error`. Destroying it sends whatever it still has queued.
std::unique_ptr<Desktop> openSystemDesktop(std::string* error);

// The program's arguments in UTF-8, the program's name first. (Windows hands
// `main` its arguments in the ANSI code page; they come from the UTF-16
// command line instead.)
std::vector<std::string> programArguments(int argc, char** argv);

// The standard output writes bytes as they are: a line ends in "\n" on every
// system (no CR LF translation).
void useBinaryStandardOutput();

}  // namespace keyloom::platform
