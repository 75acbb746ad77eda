// Reading a macro file into a list of entries: a line ends at CR, at LF, at
// CR LF or at the end of the file; empty lines are skipped. Lines are kept
// exactly as read, NUL bytes included.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/macroList.h"

namespace keyloom {

// Files larger than this are refused: no macro is that large, and reading
// a device or an endless stream would otherwise fill the memory.
inline constexpr std::size_t kMaxFileBytes = std::size_t{256} << 20;
inline constexpr const char* kTooLarge = "it is larger than 256 MB";
inline constexpr const char* kNotAFile = "it is not a file";

// Entries held in one buffer: a large macro costs little more than its file.
class LineList final : public MacroList {
public:
    Index count() const override { return static_cast<Index>(starts_.size()); }
    std::string entry(Index index) const override { return std::string(view(index)); }
    std::string_view view(Index index) const;

    // Splits file text (already UTF-8) into entries.
    static LineList split(std::string text);

private:
    std::string text_;
    std::vector<std::size_t> starts_;  // entry i ends where entry i + 1 begins
};

// The text of file bytes: UTF-16 when they begin with its byte order mark,
// else UTF-8 when they are valid UTF-8 (a leading byte order mark dropped),
// otherwise the legacy code page.
std::string decodeFileText(std::string bytes);

// The number (from 1, every line counted) of the first line of `text` that
// holds a control character other than a tab, as no macro does; 0 when
// there is none.
std::size_t firstNonTextLine(std::string_view text);

// Reads a whole file (a regular file or a pipe, at most kMaxFileBytes);
// nothing, with the reason in `error`, when it cannot.
std::optional<std::string> readFileBytes(const std::string& path, std::string* error = nullptr);

// The entries of a macro file, or nothing when it cannot be read. `nonText`
// receives firstNonTextLine of its text.
std::optional<LineList> readListFile(const std::string& path, std::string* error = nullptr,
                                     std::size_t* nonText = nullptr);

}  // namespace keyloom
