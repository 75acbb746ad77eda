#include "files/listReader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
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
        if (text[i] != '\r' && text[i] != '\n') continue;
        endLine(i);
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        lineStart = i + 1;
    }
    endLine(text.size());
    text.resize(write);
    list.text_ = std::move(text);
    return list;
}

namespace {

// UTF-16 after its byte order mark; a lone surrogate or an odd last byte
// becomes U+FFFD.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](std::size_t i) -> char32_t {
        auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
        auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
        return static_cast<char32_t>(hi << 8 | lo);
    };
    std::size_t i = 2;
    for (; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        platform::appendUtf8(out, c);
    }
    if (i < bytes.size()) platform::appendUtf8(out, 0xFFFD);
    return out;
}

}  // namespace

std::string decodeFileText(std::string bytes) {
    if (bytes.rfind("\xFF\xFE", 0) == 0) return utf16ToUtf8(bytes, false);
    if (bytes.rfind("\xFE\xFF", 0) == 0) return utf16ToUtf8(bytes, true);
    if (platform::isValidUtf8(bytes)) {
        if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
        return bytes;
    }
    return platform::legacyToUtf8(bytes);
}

std::size_t firstNonTextLine(std::string_view text) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            ++line;
        } else if ((c < 0x20 && c != '\t') || c == 0x7F) {
            return line;
        } else if (c == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            return line;  // U+0080 to U+009F, the second control block
        }
    }
    return 0;
}

std::optional<std::string> readFileBytes(const std::string& path, std::string* error) {
    auto fail = [&](const char* reason) -> std::optional<std::string> {
        if (error != nullptr) *error = reason;
        return std::nullopt;
    };
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(files::openForReading(path),
                                                          std::fclose);
    if (!file) return fail(std::strerror(errno));
    struct stat st {};
    if (::fstat(fileno(file.get()), &st) != 0) return fail(std::strerror(errno));
    // A pipe is read to its end; a folder or a device is no macro file.
    if (!S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode)) return fail(kNotAFile);
    if (S_ISREG(st.st_mode) && static_cast<unsigned long long>(st.st_size) > kMaxFileBytes)
        return fail(kTooLarge);
    std::string bytes;
    if (S_ISREG(st.st_mode)) bytes.reserve(static_cast<std::size_t>(st.st_size));
    std::unique_ptr<char[]> buffer(new char[1 << 16]);
    std::size_t n;
    while ((n = std::fread(buffer.get(), 1, 1 << 16, file.get())) > 0) {
        if (bytes.size() + n > kMaxFileBytes) return fail(kTooLarge);
        bytes.append(buffer.get(), n);
    }
    if (std::ferror(file.get())) return fail(std::strerror(errno));
    return bytes;
}

std::optional<LineList> readListFile(const std::string& path, std::string* error,
                                     std::size_t* nonText) {
    auto bytes = readFileBytes(path, error);
    if (!bytes) return std::nullopt;
    std::string text = decodeFileText(std::move(*bytes));
    if (nonText != nullptr) *nonText = firstNonTextLine(text);
    return LineList::split(std::move(text));
}

}  // namespace keyloom
