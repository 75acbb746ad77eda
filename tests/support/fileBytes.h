// A file's bytes as they are on disk, read and written whole.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace keyloom::test {

// Empty when the file cannot be read.
inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace keyloom::test
