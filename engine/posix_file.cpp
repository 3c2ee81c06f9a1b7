#include "posix_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace numir {

FileProblem problemFromSystemCode(int code) {
    switch (code) {
    case EACCES:
    case EPERM:
        return FileProblem::NoPermission;
    case EROFS:
        return FileProblem::ReadOnly;
    case ENOSPC:
    case EDQUOT:
        return FileProblem::DiskFull;
    case ETXTBSY:
    case EBUSY:
    case EWOULDBLOCK:
        return FileProblem::InUse;
    case ENOENT:
    case ENOTDIR:
        return FileProblem::FolderMissing;
    case EISDIR:
        return FileProblem::FolderInTheWay;
    default:
        return FileProblem::Other;
    }
}

namespace posix {

int Descriptor::closeNow() {
    if (fd_ < 0)
        return 0;
    // Linux frees the descriptor even when close says EINTR; closing again could hit another.
    int code = ::close(fd_) != 0 && errno != EINTR ? errno : 0;
    fd_ = -1;
    return code;
}

Descriptor openFile(const fs::path& path, int flags, int& code, mode_t mode) {
    Descriptor fd(retried([&] { return ::open(path.c_str(), flags | O_CLOEXEC, mode); }));
    code = fd ? 0 : errno;
    return fd;
}

int statOf(const fs::path& path, struct stat& status) {
    return codeOf(retried([&] { return ::stat(path.c_str(), &status); }));
}

int lstatOf(const fs::path& path, struct stat& status) {
    return codeOf(retried([&] { return ::lstat(path.c_str(), &status); }));
}

int fstatOf(int fd, struct stat& status) {
    return codeOf(retried([&] { return ::fstat(fd, &status); }));
}

int lockExclusive(int fd) {
    return codeOf(retried([&] { return ::flock(fd, LOCK_EX); }));
}

int writeAll(int fd, std::string_view bytes, off_t offset) {
    while (!bytes.empty()) {
        ssize_t written = retried([&] {
            return offset < 0 ? ::write(fd, bytes.data(), bytes.size())
                              : ::pwrite(fd, bytes.data(), bytes.size(), offset);
        });
        if (written <= 0)
            return written < 0 ? errno : EIO;
        bytes.remove_prefix(static_cast<std::size_t>(written));
        if (offset >= 0)
            offset += written;
    }
    return 0;
}

int readInto(int fd, std::string& content, std::size_t limit) {
    char buffer[1 << 16];
    while (content.size() < limit) {
        ssize_t got = retried(
            [&] { return ::read(fd, buffer, std::min(sizeof buffer, limit - content.size())); });
        if (got <= 0)
            return got < 0 ? errno : 0;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    return 0;
}

int truncateTo(int fd, off_t length) {
    return codeOf(retried([&] { return ::ftruncate(fd, length); }));
}

// Devices and some file systems cannot sync and say so with EINVAL; nothing is lost there.
int syncData(int fd) {
    int code = codeOf(retried([&] { return ::fdatasync(fd); }));
    return code == EINVAL ? 0 : code;
}

int syncAll(int fd) {
    int code = codeOf(retried([&] { return ::fsync(fd); }));
    return code == EINVAL ? 0 : code;
}

int syncFolder(const fs::path& folder) {
    int code = 0;
    Descriptor fd = openFile(folder, O_RDONLY | O_DIRECTORY, code);
    return fd ? syncAll(fd.get()) : code;
}

int renameFile(const fs::path& from, const fs::path& to) {
    return codeOf(retried([&] { return ::rename(from.c_str(), to.c_str()); }));
}

int removeFile(const fs::path& path) {
    return codeOf(retried([&] { return ::unlink(path.c_str()); }));
}

fs::path folderOf(const fs::path& path) {
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

FileError failure(const fs::path& shown, FilePlace place, int code) {
    return FileError{shown.filename().string(), problemFromSystemCode(code), place, code};
}

std::optional<FileError> refusal(const fs::path& shown, const struct stat& status) {
    if (S_ISDIR(status.st_mode))
        return failure(shown, FilePlace::File, EISDIR);
    if ((status.st_mode & 0222) == 0)
        return FileError{shown.filename().string(), FileProblem::ReadOnly, FilePlace::File, 0};
    return std::nullopt;
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

Descriptor temporaryBeside(const fs::path& target, fs::path& name, int& code) {
    std::string pattern =
        (folderOf(target) / ("." + target.filename().string() + ".XXXXXX")).string();
    Descriptor fd(retried([&] { return ::mkostemp(pattern.data(), O_CLOEXEC); }));
    code = fd ? 0 : errno;
    name = pattern;
    return fd;
}

bool isTemporaryOf(const std::string& name, const fs::path& target) {
    const std::string stem = "." + target.filename().string() + ".";
    return name.size() == stem.size() + 6 && name.starts_with(stem) &&
           std::all_of(name.begin() + static_cast<std::ptrdiff_t>(stem.size()), name.end(),
                       [](unsigned char c) { return std::isalnum(c) != 0; });
}

bool takesNoNewFile(int code) {
    return code == EACCES || code == EPERM || code == EROFS;
}

} // namespace posix
} // namespace numir
