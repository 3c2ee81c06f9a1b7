// Linux side of durable_write.h: one locked write per run, through O_APPEND, a renamed
// new file, or the file itself; flock makes copies of the program take turns.
#include "durable_write.h"
#include "posix_file.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace numir {

using namespace posix;

namespace {

// Another copy may put a new file in place while this one waits for the lock; after this
// many such turns the file counts as in use, rather than the run going round for ever.
constexpr int turnsAtMost = 8;

enum class Mode { Append, Replace };

// With a file-size limit, the system ends a program whose write passes it unless the signal
// is ignored; ignored, the write fails and the file is cut back instead of ending mid-line.
class FileSizeSignalIgnored {
  public:
    FileSizeSignalIgnored() {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &saved_);
    }
    ~FileSizeSignalIgnored() { ::sigaction(SIGXFSZ, &saved_, nullptr); }
    FileSizeSignalIgnored(const FileSizeSignalIgnored&) = delete;
    FileSizeSignalIgnored& operator=(const FileSizeSignalIgnored&) = delete;

  private:
    struct sigaction saved_ {};
};

// The file a symbolic link leads to, or errno: a link that cannot be read is not guessed at.
int followLinks(fs::path& path) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat status {};
        int code = lstatOf(path, status);
        if (code == ENOENT || (code == 0 && !S_ISLNK(status.st_mode)))
            return 0;
        if (code != 0)
            return code;
        char next[PATH_MAX];
        ssize_t length = ::readlink(path.c_str(), next, sizeof next);
        if (length < 0 || static_cast<std::size_t>(length) == sizeof next)
            return length < 0 ? errno : ENAMETOOLONG;
        fs::path linked(std::string(next, static_cast<std::size_t>(length)));
        path = linked.is_absolute() ? linked : folderOf(path) / linked;
    }
    return ELOOP;
}

// A missing file is made empty first (EEXIST when another copy made it first), and then
// written as any other; killed at any point after, it is at worst empty, as start-up makes it.
int createEmpty(const fs::path& target) {
    int code = 0;
    Descriptor fd = openFile(target, O_WRONLY | O_CREAT | O_EXCL, code, 0666);
    if (fd && (code = syncAll(fd.get())) == 0)
        syncFolder(folderOf(target));
    return code == EEXIST ? 0 : code;
}

// A device or pipe in the file's place is written as it is: it has no length to take back
// and must not be renamed over.
std::optional<FileError> writeThrough(const fs::path& shown, const fs::path& target,
                                      std::string_view bytes) {
    int code = 0;
    Descriptor fd = openFile(target, O_WRONLY, code);
    if (fd && (code = writeAll(fd.get(), bytes)) == 0)
        code = syncData(fd.get());
    return code == 0 ? std::nullopt : std::optional(failure(shown, FilePlace::File, code));
}

// Writes, syncs and renames a file with a name of its own over target; removed on failure.
std::optional<FileError> renameOver(const fs::path& shown, const fs::path& target,
                                    const struct stat& status, std::string_view bytes) {
    fs::path name;
    int code = 0;
    Descriptor fd = temporaryBeside(target, name, code);
    if (!fd)
        return takesNoNewFile(code) ? writeInPlace(shown, target, status, bytes)
                                    : failure(shown, FilePlace::Folder, code);
    if (::fchown(fd.get(), status.st_uid, status.st_gid) != 0) {
        // Only root can keep another user's ownership; anyone else keeps their own file.
    }
    code = codeOf(retried([&] { return ::fchmod(fd.get(), status.st_mode & 07777); }));
    if (code == 0)
        code = writeAll(fd.get(), bytes);
    if (code == 0)
        code = syncAll(fd.get());
    if (int closed = fd.closeNow(); code == 0)
        code = closed;
    if (code == 0)
        code = renameFile(name, target);
    if (code != 0) {
        removeFile(name);
        return failure(shown, FilePlace::File, code);
    }
    syncFolder(folderOf(target)); // the new lines are in place; this only hastens the name
    return std::nullopt;
}

// The one write of a run. Every stat that fails ends it before anything is written.
std::optional<FileError> writeDurably(const fs::path& path, std::string_view bytes, Mode mode) {
    FileSizeSignalIgnored fileSizeSignal;
    fs::path target = path;
    if (int code = followLinks(target))
        return failure(path, FilePlace::File, code);
    for (int turn = 0; turn < turnsAtMost; ++turn) {
        struct stat status {};
        if (int code = statOf(target, status)) {
            if (code == ENOENT)
                code = createEmpty(target);
            if (code != 0)
                return failure(path, FilePlace::Folder, code);
            continue;
        }
        if (auto refused = refusal(path, status))
            return refused;
        if (!S_ISREG(status.st_mode))
            return writeThrough(path, target, bytes);
        if (::access(target.c_str(), W_OK) != 0)
            return failure(path, FilePlace::File, errno);
        // Replace locks through a reading descriptor (a file one may write but not read
        // still takes one); the writing happens elsewhere.
        int code = 0;
        Descriptor fd =
            openFile(target, mode == Mode::Append ? O_WRONLY | O_APPEND : O_RDONLY, code);
        if (!fd && mode == Mode::Replace)
            fd = openFile(target, O_WRONLY, code);
        if (code == ENOENT)
            continue; // gone since the stat: made anew on the next turn
        if (!fd)
            return failure(path, FilePlace::File, code);
        struct stat held {
        }, named{};
        if ((code = lockExclusive(fd.get())) == 0 && (code = fstatOf(fd.get(), held)) == 0)
            code = statOf(target, named);
        if (code != 0 && code != ENOENT)
            return failure(path, FilePlace::File, code);
        if (code == ENOENT || !sameFile(held, named))
            continue; // another copy put a new file in place meanwhile
        if (auto refused = refusal(path, held))
            return refused;
        if (auto error = recoverLocked(path, target, held))
            return error;
        if (mode == Mode::Append)
            return appendRecorded(path, target, fd.get(), bytes);
        // Renaming would split a second hard link off the lines.
        return held.st_nlink > 1 ? writeInPlace(path, target, held, bytes)
                                 : renameOver(path, target, held, bytes);
    }
    return failure(path, FilePlace::File, EBUSY);
}

} // namespace

std::optional<FileError> appendDurably(const fs::path& path, std::string_view bytes) {
    return writeDurably(path, bytes, Mode::Append);
}

std::optional<FileError> replaceDurably(const fs::path& path, std::string_view bytes) {
    return writeDurably(path, bytes, Mode::Replace);
}

std::variant<std::string, FileError> readBeginning(const fs::path& path, std::size_t limit) {
    int code = 0;
    Descriptor fd = openFile(path, O_RDONLY, code);
    std::string content;
    if (fd)
        code = readInto(fd.get(), content, limit);
    if (code != 0)
        return failure(path, FilePlace::File, code);
    return content;
}

std::optional<FileError> createIfMissing(const fs::path& path) {
    int code = 0;
    Descriptor fd = openFile(path, O_RDONLY | O_CREAT, code, 0666);
    if (!fd) { // a folder in the way, or a read-only file in a folder that takes nothing new
        struct stat status {};
        if (statOf(path, status) == 0)
            return S_ISDIR(status.st_mode) ? std::optional(failure(path, FilePlace::File, EISDIR))
                                           : std::nullopt;
        return failure(path, FilePlace::Folder, code);
    }
    return std::nullopt;
}

std::optional<FileError> recoverInterruptedWrite(const fs::path& path) {
    fs::path target = path;
    int code = followLinks(target);
    Descriptor fd = code == 0 ? openFile(target, O_RDONLY, code) : Descriptor();
    struct stat held {};
    if (fd && (code = lockExclusive(fd.get())) == 0 && (code = fstatOf(fd.get(), held)) == 0)
        return recoverLocked(path, target, held);
    return code == ENOENT ? std::nullopt : std::optional(failure(path, FilePlace::File, code));
}

} // namespace numir
