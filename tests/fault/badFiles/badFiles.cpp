#include "badFiles.h"

#include <random>

#include "support/fileBytes.h"
#include "support/tempDir.h"

namespace keyloom::fault {
namespace {

std::string binaryData() {
    std::mt19937 random(20261206);
    std::string bytes(1 << 20, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

std::string hundredMegabytes() {
    const std::string block = "Press_Tab\r\nSendText >a line of a very large macro file\r\n";
    std::string bytes;
    bytes.reserve(100u << 20);
    while (bytes.size() + block.size() <= (100u << 20)) bytes += block;
    return bytes;
}

std::string tenMegabyteLine() {
    std::string bytes = "SendText >";
    bytes.reserve(10u << 20);
    while (bytes.size() + 10 <= (10u << 20)) bytes += "abcdefghi ";
    return bytes + "\r\nPress_Enter\r\n";
}

// Windows-1252 text and stray bytes: not UTF-8, read as the legacy code page.
const char kInvalidUtf8[] =
    "SendText >caf\xE9\r\n\xFF\xFE\r\nPress_Tab\r\nSendText >\xC3 \x80uro\r\n";

}  // namespace

std::size_t countLines(const std::string& bytes) {
    std::size_t count = 0, length = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') {
            ++length;
            continue;
        }
        if (length > 0) ++count;
        length = 0;
    }
    return count + (length > 0 ? 1 : 0);
}

const std::vector<BadFile>& badFiles() {
    // Removed with the files as the test program ends: every test program
    // writes its own 110 MB.
    static const test::TempDir folder;
    static const std::vector<BadFile> files = [] {
        auto write = [&](const char* name, const std::string& bytes) {
            test::writeFile(folder.str(name), bytes);
            return folder.str(name);
        };
        std::vector<BadFile> out;
        std::string bytes = binaryData();
        out.push_back({"BinaryData", write("binary.tkl", bytes), countLines(bytes), {}, 1});
        bytes = hundredMegabytes();
        out.push_back({"HundredMegabytes", write("large.tkl", bytes), countLines(bytes),
                       {"Press_Tab", "SendText >a line of a very large macro file", "Press_Tab"}});
        bytes = tenMegabyteLine();
        out.push_back({"TenMegabyteLine", write("longLine.tkl", bytes), 2,
                       {bytes.substr(0, bytes.find('\r')), "Press_Enter"}});
        out.push_back({"InvalidUtf8", write("legacy.tkl", kInvalidUtf8), 4,
                       {"SendText >caf\u00e9", "\u00ff\u00fe", "Press_Tab",
                        "SendText >\u00c3 \u20acuro"}});
        const std::string nul("SendText >ab\0cd\r\nPress_Tab\r\n", 26);
        out.push_back({"NulInEntry", write("nul.tkl", nul), 2, {nul.substr(0, 15), "Press_Tab"}, 1});
        out.push_back({"EndlessDevice", "/dev/zero", 0, {}, 1, 2});
        return out;
    }();
    return files;
}

}  // namespace keyloom::fault
