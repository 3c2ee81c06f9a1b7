// Linux side of durable_write.h: O_APPEND, flock, mkostemp, rename and fsync.
#include "durable_write.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
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

namespace {

namespace fs = std::filesystem;

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { closeNow(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // A close can report a write the system had kept back, so its result counts.
    int closeNow() {
        int code = fd_ >= 0 && ::close(fd_) != 0 ? errno : 0;
        fd_ = -1;
        return code;
    }

  private:
    int fd_;
};

FileError failure(const fs::path& shown, FilePlace place, int code) {
    return FileError{shown.filename().string(), problemFromSystemCode(code), place, code};
}

fs::path folderOf(const fs::path& path) {
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

// What rules a write to an existing file out: a folder in its place, or no write bit in its
// mode (checked by hand, since the kernel lets root write anything).
std::optional<FileError> refusal(const fs::path& shown, const struct stat& status) {
    if (S_ISDIR(status.st_mode))
        return failure(shown, FilePlace::File, EISDIR);
    if ((status.st_mode & 0222) == 0)
        return FileError{shown.filename().string(), FileProblem::ReadOnly, FilePlace::File, 0};
    return std::nullopt;
}

int writeAll(int fd, std::string_view bytes, off_t offset = -1) {
    while (!bytes.empty()) {
        ssize_t written = offset < 0 ? ::write(fd, bytes.data(), bytes.size())
                                     : ::pwrite(fd, bytes.data(), bytes.size(), offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        bytes.remove_prefix(static_cast<std::size_t>(written));
        if (offset >= 0)
            offset += written;
    }
    return 0;
}

// After a failure, the file back at its old length; nothing more can be done if this fails.
void cutBack(int fd, off_t length) {
    if (::ftruncate(fd, length) == 0)
        ::fdatasync(fd);
}

int lockExclusive(int fd) {
    while (::flock(fd, LOCK_EX) != 0)
        if (errno != EINTR)
            return errno;
    return 0;
}

// After waiting for the lock: another copy of the program may have put a new file in place.
bool stillThere(int fd, const fs::path& path) {
    struct stat held {
    }, named{};
    return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

int syncFolder(const fs::path& folder) {
    Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd)
        return errno;
    // Some file systems cannot sync a folder and say so with EINVAL; nothing is lost there.
    return ::fsync(fd.get()) != 0 && errno != EINVAL ? errno : 0;
}

// Appends what the file holds, up to limit bytes, to content; gives errno or 0.
int readInto(int fd, std::string& content, std::size_t limit) {
    char buffer[1 << 16];
    while (content.size() < limit) {
        ssize_t got = ::read(fd, buffer, std::min(sizeof buffer, limit - content.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got < 0 ? errno : 0;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    return 0;
}

std::optional<std::string> readAll(const fs::path& path) {
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    std::string content;
    if (!fd || readInto(fd.get(), content, std::string::npos) != 0)
        return std::nullopt;
    return content;
}

fs::path followLinks(fs::path path) {
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(path, error))
            return path;
        fs::path next = fs::read_symlink(path, error);
        if (error)
            return path;
        path = next.is_absolute() ? next : folderOf(path) / next;
    }
    return path;
}

// A brand-new file needs no rename: made with O_EXCL, and removed again if it cannot be
// filled. Fails with EEXIST when another copy made it first.
std::optional<FileError> createWith(const fs::path& shown, const fs::path& target,
                                    std::string_view bytes) {
    Descriptor fd(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!fd)
        return failure(shown, FilePlace::Folder, errno);
    // Another copy appending may open the new file at once; it waits for this lock.
    int code = lockExclusive(fd.get());
    if (code == 0)
        code = writeAll(fd.get(), bytes);
    if (code == 0 && ::fsync(fd.get()) != 0)
        code = errno;
    if (int closed = fd.closeNow(); code == 0)
        code = closed;
    if (code == 0)
        code = syncFolder(folderOf(target));
    if (code == 0)
        return std::nullopt;
    ::unlink(target.c_str());
    return failure(shown, FilePlace::File, code);
}

// A device or pipe in the file's place is written as it is: it has no length to take back
// and must not be renamed over.
std::optional<FileError> writeThrough(const fs::path& shown, const fs::path& target,
                                      std::string_view bytes) {
    Descriptor fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC));
    if (!fd)
        return failure(shown, FilePlace::File, errno);
    int code = writeAll(fd.get(), bytes);
    if (code == 0 && ::fdatasync(fd.get()) != 0 && errno != EINVAL)
        code = errno;
    return code == 0 ? std::nullopt : std::optional(failure(shown, FilePlace::File, code));
}

// The room is taken before the first old byte is overwritten, so a full disk fails while
// the file is still whole; any other failure puts the old bytes back.
std::optional<FileError> writeInPlace(const fs::path& shown, const fs::path& target,
                                      std::string_view bytes) {
    const std::optional<std::string> old = readAll(target);
    Descriptor fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC));
    if (!fd)
        return failure(shown, FilePlace::File, errno);
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0)
        return failure(shown, FilePlace::File, errno);
    const off_t oldLength = status.st_size;
    const auto newLength = static_cast<off_t>(bytes.size());
    if (newLength > oldLength) {
        int code = ::posix_fallocate(fd.get(), 0, newLength);
        if (code != 0 && code != EOPNOTSUPP && code != EINVAL) {
            cutBack(fd.get(), oldLength);
            return failure(shown, FilePlace::File, code);
        }
    }
    int code = writeAll(fd.get(), bytes, 0);
    if (code == 0 && ::ftruncate(fd.get(), newLength) != 0)
        code = errno;
    if (code == 0 && ::fdatasync(fd.get()) != 0)
        code = errno;
    if (code == 0)
        return std::nullopt;
    if (old) {
        writeAll(fd.get(), *old, 0);
        cutBack(fd.get(), oldLength);
    }
    return failure(shown, FilePlace::File, code);
}

// Writes, syncs and renames a file with a name of its own over target; removed on failure.
std::optional<FileError> renameOver(const fs::path& shown, const fs::path& target,
                                    const struct stat& old, std::string_view bytes) {
    std::string name = (folderOf(target) / ("." + target.filename().string() + ".XXXXXX")).string();
    Descriptor fd(::mkostemp(name.data(), O_CLOEXEC));
    if (!fd)
        return writeInPlace(shown, target, bytes); // the folder takes no new file
    if (::fchown(fd.get(), old.st_uid, old.st_gid) != 0) {
        // Only root can keep another user's ownership; anyone else keeps their own file.
    }
    int code = ::fchmod(fd.get(), old.st_mode & 07777) != 0 ? errno : 0;
    if (code == 0)
        code = writeAll(fd.get(), bytes);
    if (code == 0 && ::fsync(fd.get()) != 0)
        code = errno;
    if (int closed = fd.closeNow(); code == 0)
        code = closed;
    if (code == 0 && ::rename(name.c_str(), target.c_str()) != 0)
        code = errno;
    if (code != 0) {
        ::unlink(name.c_str());
        return failure(shown, FilePlace::File, code);
    }
    if (int synced = syncFolder(folderOf(target)))
        return failure(shown, FilePlace::Folder, synced);
    return std::nullopt;
}

} // namespace

std::optional<FileError> appendDurably(const fs::path& path, std::string_view bytes) {
    for (;;) {
        struct stat before {};
        const bool existed = ::stat(path.c_str(), &before) == 0;
        if (auto refused = existed ? refusal(path, before) : std::nullopt)
            return refused;
        Descriptor fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
        if (!fd)
            return failure(path, existed ? FilePlace::File : FilePlace::Folder, errno);
        if (int code = lockExclusive(fd.get()))
            return failure(path, FilePlace::File, code);
        if (!stillThere(fd.get(), path))
            continue;
        struct stat status {};
        if (::fstat(fd.get(), &status) != 0)
            return failure(path, FilePlace::File, errno);
        int code = writeAll(fd.get(), bytes);
        if (code == 0 && ::fdatasync(fd.get()) != 0 && errno != EINVAL)
            code = errno;
        if (code == 0 && !existed)
            code = syncFolder(folderOf(path));
        if (code == 0)
            return std::nullopt;
        cutBack(fd.get(), status.st_size);
        return failure(path, FilePlace::File, code);
    }
}

std::optional<FileError> replaceDurably(const fs::path& path, std::string_view bytes) {
    const fs::path target = followLinks(path);
    for (;;) {
        struct stat status {};
        if (::stat(target.c_str(), &status) != 0) {
            if (errno != ENOENT)
                return failure(path, FilePlace::Folder, errno);
            auto error = createWith(path, target, bytes);
            if (!error || error->systemCode != EEXIST)
                return error;
            continue;
        }
        if (auto refused = refusal(path, status))
            return refused;
        if (!S_ISREG(status.st_mode))
            return writeThrough(path, target, bytes);
        if (::access(target.c_str(), W_OK) != 0)
            return failure(path, FilePlace::File, errno);
        int held = ::open(target.c_str(), O_RDONLY | O_CLOEXEC);
        if (held < 0) // a file one may write but not read still takes a lock
            held = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
        Descriptor lock(held);
        if (!lock)
            return failure(path, FilePlace::File, errno);
        if (int code = lockExclusive(lock.get()))
            return failure(path, FilePlace::File, code);
        if (!stillThere(lock.get(), target) || ::fstat(lock.get(), &status) != 0)
            continue;
        // Renaming would split a second hard link off the lines.
        if (status.st_nlink > 1)
            return writeInPlace(path, target, bytes);
        return renameOver(path, target, status, bytes);
    }
}

std::variant<std::string, FileError> readBeginning(const fs::path& path, std::size_t limit) {
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    std::string content;
    if (int code = fd ? readInto(fd.get(), content, limit) : errno)
        return failure(path, FilePlace::File, code);
    return content;
}

std::optional<FileError> createIfMissing(const fs::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0)
        return S_ISDIR(status.st_mode) ? std::optional(failure(path, FilePlace::File, EISDIR))
                                       : std::nullopt;
    Descriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!fd && errno != EEXIST)
        return failure(path, FilePlace::Folder, errno);
    return std::nullopt;
}

} // namespace numir
