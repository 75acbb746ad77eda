#include "files/listReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "files/atomicFile.h"
#include "platform/codepage.h"

namespace keyloom {

std::string_view LineList::view(Index index) const {
    auto i = static_cast<std::size_t>(index);
    std::size_t end = i + 1 < starts_.size() ? starts_[i + 1] : text_.size();
    return std::string_view(text_).substr(starts_[i], end - starts_[i]);
}

LineList LineList::split(std::string text) {
    // Entries are packed in place, terminators and empty lines removed, so
    // each one ends where the next begins.
    LineList list;
    std::size_t write = 0;
    std::size_t lineStart = 0;
    auto endLine = [&](std::size_t end) {
        if (end == lineStart) return;
        list.starts_.push_back(write);
        if (write != lineStart) std::memmove(&text[write], &text[lineStart], end - lineStart);
        write += end - lineStart;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') continue;
        endLine(i);
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        lineStart = i + 1;
    }
    endLine(text.size());
    text.resize(write);
    list.text_ = std::move(text);
    return list;
}

std::string decodeFileText(std::string bytes) {
    if (platform::isValidUtf8(bytes)) {
        if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
        return bytes;
    }
    return platform::legacyToUtf8(bytes);
}

std::optional<std::string> readFileBytes(const std::string& path, std::string* error) {
    auto fail = [&]() -> std::optional<std::string> {
        if (error != nullptr) *error = std::strerror(errno);
        return std::nullopt;
    };
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(files::openForReading(path),
                                                          std::fclose);
    if (!file) return fail();
    std::string bytes;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        errno = EISDIR;
        return fail();
    }
    auto size = std::filesystem::file_size(path, ec);
    if (!ec) bytes.reserve(static_cast<std::size_t>(size));
    char buffer[1 << 16];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, n);
    if (std::ferror(file.get())) return fail();
    return bytes;
}

std::optional<LineList> readListFile(const std::string& path, std::string* error) {
    auto bytes = readFileBytes(path, error);
    if (!bytes) return std::nullopt;
    return LineList::split(decodeFileText(std::move(*bytes)));
}

}  // namespace keyloom
