// Macro files that are not what a macro file should be: binary data, a
// 100 MB file, a 10 MB single line, text that is not UTF-8, a NUL inside an
// entry, an endless device. Each is made once per test program in a folder
// of its own.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace keyloom::fault {

struct BadFile {
    const char* name;
    std::string path;
    // The entries a reader must find: their count, and the first few exactly.
    std::size_t entries;
    std::vector<std::string> first;
    // Messages of the main window's Load (a warning, or why it refused the
    // file), and the player's exit status.
    int messages = 0;
    int playerStatus = 0;
};

// Writes the files (once) and describes them.
const std::vector<BadFile>& badFiles();

// The count of lines of `bytes` as a macro file has them: ended by CR, LF,
// CR LF or the end, empty ones not counted.
std::size_t countLines(const std::string& bytes);

}  // namespace keyloom::fault
