// Linux side of native_file.h: each call retried when a signal interrupts it, and giving errno
// rather than a -1 to look up.
#include "native_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace numir {

namespace native {
namespace {

// A call interrupted by a signal is made again, a bounded number of times, so that a storm
// of signals cannot hold a run for ever. Gives the call's result, errno set on -1.
template <class Call> auto retried(Call call) {
    auto result = call();
    for (int again = 0; again < 100 && result == -1 && errno == EINTR; ++again)
        result = call();
    return result;
}

Code codeOf(long result) {
    return result == -1 ? errno : 0;
}

int fd(const File& file) {
    return static_cast<int>(file.handle());
}

Result<File> opened(const fs::path& path, int flags, mode_t mode = 0) {
    File file(retried([&] { return ::open(path.c_str(), flags | O_CLOEXEC, mode); }));
    if (!file)
        return errno;
    return file;
}

// Devices and some file systems cannot sync and say so with EINVAL; nothing is lost there.
Code syncAll(int descriptor) {
    Code code = codeOf(retried([&] { return ::fsync(descriptor); }));
    return code == EINVAL ? 0 : code;
}

Code writeAll(int descriptor, std::string_view bytes, off_t offset) {
    while (!bytes.empty()) {
        ssize_t written = retried([&] {
            return offset < 0 ? ::write(descriptor, bytes.data(), bytes.size())
                              : ::pwrite(descriptor, bytes.data(), bytes.size(), offset);
        });
        if (written <= 0)
            return written < 0 ? errno : EIO;
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += offset < 0 ? 0 : written;
    }
    return 0;
}

} // namespace

Code File::close() {
    if (!*this)
        return 0;
    // Linux frees the descriptor even when close says EINTR; closing again could hit another.
    Code code = ::close(fd(*this)) != 0 && errno != EINTR ? errno : 0;
    handle_ = invalid;
    return code;
}

// Ignored, the write fails with EFBIG and the file is cut back instead of ending mid-line.
void prepareForWriting() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, nullptr);
}

// A link that cannot be read is not guessed at.
Result<fs::path> followLinks(const fs::path& path) {
    fs::path target = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat status {};
        Code code = codeOf(retried([&] { return ::lstat(target.c_str(), &status); }));
        if (code == ENOENT || (code == 0 && !S_ISLNK(status.st_mode)))
            return target;
        if (code != 0)
            return code;
        char next[PATH_MAX];
        ssize_t length = retried([&] { return ::readlink(target.c_str(), next, sizeof next); });
        if (length < 0 || static_cast<std::size_t>(length) == sizeof next)
            return length < 0 ? errno : ENAMETOOLONG;
        fs::path linked(std::string(next, static_cast<std::size_t>(length)));
        target = linked.is_absolute() ? linked : target.parent_path() / linked;
    }
    return ELOOP;
}

Result<NameStatus> statusOf(const fs::path& path) {
    struct stat status {};
    Code code = codeOf(retried([&] { return ::stat(path.c_str(), &status); }));
    if (code == ENOENT)
        return NameStatus{};
    if (code != 0)
        return code;
    const Kind kind = S_ISDIR(status.st_mode)   ? Kind::Folder
                      : S_ISREG(status.st_mode) ? Kind::Regular
                                                : Kind::Other;
    return NameStatus{kind, (status.st_mode & 0222) == 0};
}

Code createEmpty(const fs::path& path) {
    auto made = opened(path, O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (auto* code = std::get_if<Code>(&made))
        return *code == EEXIST ? 0 : *code;
    Code code = syncAll(fd(std::get<File>(made)));
    return code == 0 ? syncFolder(path.has_parent_path() ? path.parent_path() : ".") : code;
}

Result<File> openForReading(const fs::path& path) {
    return opened(path, O_RDONLY);
}

Result<File> openForWriting(const fs::path& path) {
    return opened(path, O_RDWR);
}

Code lock(const File& file) {
    return codeOf(retried([&] { return ::flock(fd(file), LOCK_EX); }));
}

Result<Facts> factsOf(const File& file) {
    struct stat status {};
    if (Code code = codeOf(retried([&] { return ::fstat(fd(file), &status); })))
        return code;
    return Facts{
        {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)},
        static_cast<std::uint64_t>(status.st_nlink),
        static_cast<std::uint64_t>(status.st_size)};
}

Result<Identity> identityOf(const fs::path& path) {
    struct stat status {};
    if (Code code = codeOf(retried([&] { return ::stat(path.c_str(), &status); })))
        return code;
    return Identity{static_cast<std::uint64_t>(status.st_dev),
                    static_cast<std::uint64_t>(status.st_ino)};
}

Code readAll(const File& file, std::string& content, std::size_t limit) {
    char buffer[1 << 16];
    for (off_t offset = 0; content.size() < limit;) {
        ssize_t got = retried([&] {
            return ::pread(fd(file), buffer, std::min(sizeof buffer, limit - content.size()),
                           offset);
        });
        if (got <= 0)
            return got < 0 ? errno : 0;
        content.append(buffer, static_cast<std::size_t>(got));
        offset += got;
    }
    return 0;
}

Code writeAt(const File& file, std::string_view bytes, std::uint64_t offset) {
    return writeAll(fd(file), bytes, static_cast<off_t>(offset));
}

Code setLength(const File& file, std::uint64_t length) {
    return codeOf(retried([&] { return ::ftruncate(fd(file), static_cast<off_t>(length)); }));
}

Code reserve(const File& file, std::uint64_t length) {
    Code code = codeOf(retried(
        [&] { return ::fallocate(fd(file), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(length)); }));
    return code == EOPNOTSUPP || code == ENOSYS ? 0 : code;
}

Code flush(const File& file) {
    Code code = codeOf(retried([&] { return ::fdatasync(fd(file)); }));
    return code == EINVAL ? 0 : code;
}

Code writeThrough(const fs::path& path, std::string_view bytes) {
    auto device = opened(path, O_WRONLY);
    if (auto* code = std::get_if<Code>(&device))
        return *code;
    Code code = writeAll(fd(std::get<File>(device)), bytes, -1);
    return code == 0 ? flush(std::get<File>(device)) : code;
}

Result<Temporary> temporaryBeside(const fs::path& target, const File* like, std::string_view mark) {
    std::string pattern = ownName(target, std::string(temporaryRandomLength, 'X'), mark);
    const int suffix = static_cast<int>(mark.size());
    Temporary temporary{
        File(retried([&] { return ::mkostemps(pattern.data(), suffix, O_CLOEXEC); })), pattern};
    if (!temporary.file)
        return errno;
    if (Code code = like ? takeSettingsOf(*like, temporary.file) : 0) {
        discard(temporary);
        return code;
    }
    return temporary;
}

// The mode, and the owner where this user may set it: only root can keep another user's
// ownership; anyone else keeps their own file.
Code takeSettingsOf(const File& old, const File& made) {
    struct stat status {};
    if (Code code = codeOf(retried([&] { return ::fstat(fd(old), &status); })))
        return code;
    if (::fchown(fd(made), status.st_uid, status.st_gid) != 0) {
        // kept as this user's own
    }
    return codeOf(retried([&] { return ::fchmod(fd(made), status.st_mode & 07777); }));
}

Code moveOver(Temporary& temporary, const fs::path& destination) {
    Code code = temporary.file.close();
    if (code == 0)
        code =
            codeOf(retried([&] { return ::rename(temporary.name.c_str(), destination.c_str()); }));
    return code;
}

// A waiting copy sees the new file once this one closes the old; the lock is kept till then.
Code replaceLocked(Temporary& temporary, const fs::path& target, File&) {
    return moveOver(temporary, target);
}

Result<File> openOwn(const fs::path& path) {
    return opened(path, O_RDWR);
}

Code removeOpen(Temporary& temporary) {
    return codeOf(retried([&] { return ::unlink(temporary.name.c_str()); }));
}

Code discard(Temporary& temporary) {
    temporary.file.close();
    return removeIfFree(temporary.name);
}

Code removeIfFree(const fs::path& path) {
    Code code = codeOf(retried([&] { return ::unlink(path.c_str()); }));
    return code == ENOENT ? 0 : code;
}

Code syncFolder(const fs::path& folder) {
    auto opened = native::opened(folder, O_RDONLY | O_DIRECTORY);
    if (auto* code = std::get_if<Code>(&opened))
        return *code;
    return syncAll(fd(std::get<File>(opened)));
}

} // namespace native
} // namespace numir
