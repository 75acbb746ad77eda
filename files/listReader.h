// Reading a macro file into a list of entries: a line ends at CR, at CR LF or
// at the end of the file; empty lines are skipped; a lone LF is an ordinary
// character. Lines are kept exactly as read.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/macroList.h"

namespace keyloom {

// Entries held in one buffer: a large macro costs little more than its file.
class LineList final : public MacroList {
public:
    Index count() const override { return static_cast<Index>(starts_.size()); }
    std::string entry(Index index) const override { return std::string(view(index)); }
    std::string_view view(Index index) const;

    // Splits file bytes (already UTF-8) into entries.
    static LineList split(std::string text);

private:
    std::string text_;
    std::vector<std::size_t> starts_;  // entry i ends where entry i + 1 begins
};

// The text of file bytes: UTF-8 when they are valid UTF-8 (a leading byte
// order mark dropped), otherwise the legacy code page.
std::string decodeFileText(std::string bytes);

// Reads a whole file; nothing when it cannot be opened or read.
std::optional<std::string> readFileBytes(const std::string& path, std::string* error = nullptr);

// The entries of a macro file, or nothing when it cannot be read.
std::optional<LineList> readListFile(const std::string& path, std::string* error = nullptr);

}  // namespace keyloom
