#include "files/atomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

namespace keyloom::files {
namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closing can report a late write error: it counts.
    bool close() {
        if (fd_ < 0) return true;
        int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0;
    }

private:
    int fd_;
};

std::string folderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A link is replaced where it points, so the link itself survives.
std::string resolveLink(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return path;
    std::string resolved(real);
    std::free(real);
    return resolved;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Creates a fresh temporary file beside `target`; the mode 0666 lets the
// umask decide, as for any new file.
int createTemporary(const std::string& target, std::string& tempPath) {
    std::random_device random;
    const std::string stem = folderOf(target) + "/." + nameOf(target) + ".";
    for (int attempt = 0; attempt < 16; ++attempt) {
        tempPath = stem + std::to_string(random() % 1000000000u) + ".tmp";
        int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

void syncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool fail(std::string* error, int code) {
    if (error != nullptr) *error = std::strerror(code);
    return false;
}

// Writes over the file itself: its inode, links, owner and mode stay.
bool writeInPlace(const std::string& target, std::string_view bytes, std::string* error) {
    Fd file(::open(target.c_str(), O_WRONLY | O_CLOEXEC));
    if (file.get() < 0) return fail(error, errno);
    int code = 0;
    auto step = [&code](bool good) {
        if (!good && code == 0) code = errno != 0 ? errno : EIO;
        return good;
    };
    bool ok = step(writeAll(file.get(), bytes));
    ok = ok && step(::ftruncate(file.get(), static_cast<off_t>(bytes.size())) == 0);
    ok = ok && step(::fsync(file.get()) == 0);
    ok = step(file.close()) && ok;
    return ok || fail(error, code);
}

}  // namespace

PathKind pathKind(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return PathKind::Missing;
    return S_ISREG(st.st_mode) ? PathKind::RegularFile : PathKind::Other;
}

std::FILE* openForReading(const std::string& path) { return std::fopen(path.c_str(), "rb"); }

bool replaceFile(const std::string& path, std::string_view bytes, std::string* error) {
    if (path.empty()) return fail(error, ENOENT);
    const std::string target = resolveLink(path);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) return fail(error, EISDIR);
    // A file we may not write stays as it is, although its folder would let
    // us replace it.
    if (exists && ::access(target.c_str(), W_OK) != 0) return fail(error, errno);
    if (exists && old.st_nlink > 1) return writeInPlace(target, bytes, error);

    std::string tempPath;
    Fd file(createTemporary(target, tempPath));
    if (file.get() < 0) {
        if (exists) return writeInPlace(target, bytes, error);
        return fail(error, errno);
    }
    int code = 0;
    auto step = [&code](bool good) {
        if (!good && code == 0) code = errno != 0 ? errno : EIO;
        return good;
    };
    // The owner first (a change of owner may clear the set-id bits), where
    // we may: only the superuser can give a file away.
    if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
        (void)!::fchown(file.get(), old.st_uid, old.st_gid);
    bool ok = !exists || step(::fchmod(file.get(), old.st_mode & 07777) == 0);
    ok = ok && step(writeAll(file.get(), bytes));
    ok = ok && step(::fsync(file.get()) == 0);
    ok = step(file.close()) && ok;
    ok = ok && step(::rename(tempPath.c_str(), target.c_str()) == 0);
    if (!ok) {
        ::unlink(tempPath.c_str());
        return fail(error, code);
    }
    syncFolder(folderOf(target));
    return true;
}

}  // namespace keyloom::files
