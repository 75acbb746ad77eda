// Replacing a file on Windows: a temporary file beside the target, flushed,
// then put in the target's place (ReplaceFileW keeps the old file's
// attributes and security; a new file is moved into place). A file with
// further hard links, or in a folder that takes no temporary file, is
// written in place.
#include "files/atomicFile.h"

#include <windows.h>

#include <random>

#include "platform/win32/win32Text.h"

namespace keyloom::files {
namespace {

using platform::win32::toUtf8;
using platform::win32::toWide;

bool fail(std::string* error, DWORD code) {
    if (error != nullptr) {
        wchar_t* text = nullptr;
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                           FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        *error = text != nullptr ? toUtf8(text) : "error " + std::to_string(code);
        while (!error->empty() && (error->back() == '\n' || error->back() == '\r'))
            error->pop_back();
        LocalFree(text);
    }
    return false;
}

std::wstring folderOf(const std::wstring& path) {
    auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash == 0 ? 1 : slash);
}

std::wstring nameOf(const std::wstring& path) {
    auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

HANDLE createTemporary(const std::wstring& target, std::wstring& tempPath) {
    std::random_device random;
    const std::wstring stem = folderOf(target) + L"\\." + nameOf(target) + L".";
    for (int attempt = 0; attempt < 16; ++attempt) {
        tempPath = stem + std::to_wstring(random() % 1000000000u) + L".tmp";
        HANDLE file = CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

bool writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

bool step(bool good, DWORD& code) {
    if (!good && code == 0) code = GetLastError() != 0 ? GetLastError() : ERROR_WRITE_FAULT;
    return good;
}

// Writes over the file itself: its links, attributes and security stay.
bool writeInPlace(const std::wstring& target, std::string_view bytes, std::string* error) {
    HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return fail(error, GetLastError());
    DWORD code = 0;
    bool ok = step(writeAll(file, bytes), code);
    ok = ok && step(SetEndOfFile(file) != 0, code);
    ok = ok && step(FlushFileBuffers(file) != 0, code);
    ok = step(CloseHandle(file) != 0, code) && ok;
    return ok || fail(error, code);
}

bool hasFurtherLinks(const std::wstring& target) {
    HANDLE file = CreateFileW(target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    bool linked = GetFileInformationByHandle(file, &info) != 0 && info.nNumberOfLinks > 1;
    CloseHandle(file);
    return linked;
}

}  // namespace

PathKind pathKind(const std::string& path) {
    DWORD attributes = GetFileAttributesW(toWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0
               ? PathKind::Other
               : PathKind::RegularFile;
}

std::FILE* openForReading(const std::string& path) {
    return _wfopen(toWide(path).c_str(), L"rb");
}

bool replaceFile(const std::string& path, std::string_view bytes, std::string* error) {
    if (path.empty()) return fail(error, ERROR_FILE_NOT_FOUND);
    const std::wstring target = toWide(path);
    DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0)
        return fail(error, ERROR_DIRECTORY);
    // A read-only file stays as it is, although its folder would let us replace it.
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0) return fail(error, ERROR_ACCESS_DENIED);
    if (exists && hasFurtherLinks(target)) return writeInPlace(target, bytes, error);

    std::wstring tempPath;
    HANDLE file = createTemporary(target, tempPath);
    if (file == INVALID_HANDLE_VALUE) {
        if (exists) return writeInPlace(target, bytes, error);
        return fail(error, GetLastError());
    }
    DWORD code = 0;
    bool ok = step(writeAll(file, bytes), code);
    ok = ok && step(FlushFileBuffers(file) != 0, code);
    ok = step(CloseHandle(file) != 0, code) && ok;
    if (ok && exists)
        ok = step(ReplaceFileW(target.c_str(), tempPath.c_str(), nullptr,
                               REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0, code);
    else if (ok)
        ok = step(MoveFileExW(tempPath.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0, code);
    if (!ok) {
        DeleteFileW(tempPath.c_str());
        return fail(error, code);
    }
    return true;
}

}  // namespace keyloom::files
