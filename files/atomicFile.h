// Replacing a file without ever destroying the old one: the new bytes go to a
// temporary file beside the target, are flushed to disk, and the temporary
// file is renamed over the target, with the old file's permissions (and its
// owner, where we may set it). On any failure the target is as it was and
// the temporary file is gone.
//
// Where that would lose something, the file is written in place instead
// (flushed, then cut to its new length): a file with further hard links,
// whose other names would keep the old text, and a file we may write in a
// folder where no temporary file can be made.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace keyloom::files {

enum class PathKind { Missing, RegularFile, Other };

// What lies at `path` now, links followed.
PathKind pathKind(const std::string& path);

// Opens the file at `path` (UTF-8, whatever the system's own encoding of file
// names) for reading bytes; nullptr, with errno set, when it cannot.
std::FILE* openForReading(const std::string& path);

// Writes `bytes` as the whole content of `path`. A new file gets the usual
// permissions for new files, a replaced one keeps its own. False (with the
// reason in `error`) when anything failed.
bool replaceFile(const std::string& path, std::string_view bytes, std::string* error = nullptr);

}  // namespace keyloom::files
