// Linux: the writes that change the file itself (an append, a write over it), each with a
// record beside it of what the file was; putting that back after an interruption, and
// clearing away what killed runs left.
#include "posix_file.h"
#include "undo_journal.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace numir::posix {
namespace {

// The file's whole content from its start, wherever the descriptor stands.
int readFromStart(int fd, std::string& content) {
    content.clear();
    return ::lseek(fd, 0, SEEK_SET) < 0 ? errno : readInto(fd, content);
}

// The record reaches its own name only once it is whole and on the disk.
int keepUndoRecord(const fs::path& target, const UndoRecord& record) {
    fs::path name;
    int code = 0;
    Descriptor fd = temporaryBeside(target, name, code);
    if (!fd)
        return code;
    code = writeAll(fd.get(), encodeUndoRecord(record));
    if (code == 0)
        code = syncAll(fd.get());
    if (int closed = fd.closeNow(); code == 0)
        code = closed;
    if (code == 0)
        code = renameFile(name, undoRecordPath(target));
    if (code == 0)
        code = syncFolder(folderOf(target));
    if (code != 0)
        removeFile(name), removeFile(undoRecordPath(target));
    return code;
}

// The record's bytes, or nothing when there is none.
std::optional<std::string> readUndoBytes(const fs::path& target, int& code) {
    Descriptor fd = openFile(undoRecordPath(target), O_RDONLY, code);
    if (!fd) {
        code = code == ENOENT ? 0 : code;
        return std::nullopt;
    }
    std::string bytes;
    code = readInto(fd.get(), bytes);
    return bytes;
}

// The file as the record says it was, from a file now length long.
int restore(int fd, const UndoRecord& record, std::size_t length) {
    int code = writeAll(fd, record.oldBytes, 0);
    if (code == 0 && record.oldLength < length)
        code = truncateTo(fd, static_cast<off_t>(record.oldLength));
    return code == 0 ? syncData(fd) : code;
}

// A record is left only by a write that did not finish; unless the file holds what that
// write meant to leave, it goes back to what it was.
int applyUndoRecord(const fs::path& target, const struct stat& status, const UndoRecord& record) {
    if (record.fileId != static_cast<std::uint64_t>(status.st_ino))
        return 0; // the file was put in place anew since: the record is not about it
    int code = 0;
    Descriptor fd = openFile(target, O_RDWR, code);
    std::string now;
    if (code == 0)
        code = readFromStart(fd.get(), now);
    if (code != 0 || writeFinished(record, now))
        return code;
    return restore(fd.get(), record, now.size());
}

// Keeps a record unless the folder takes no new file or has no room for one, in which case
// the write goes ahead without, as it would have before records; gives errno for any other
// failure, or 0, and whether there is a record.
int recordFirst(const fs::path& target, const UndoRecord& record, bool& recorded) {
    int code = keepUndoRecord(target, record);
    recorded = code == 0;
    return takesNoNewFile(code) || code == ENOSPC || code == EDQUOT ? 0 : code;
}

// The end of a recorded write that went as far as code says: synced and the record dropped
// (should that fail, the next run finds the file as the write left it and drops it then),
// or the file put back as the record says, the record gone, and the failure said.
std::optional<FileError> settle(int code, int fd, const fs::path& shown, const fs::path& target,
                                const UndoRecord& record, bool recorded) {
    if (code == 0 && (code = syncData(fd)) == 0) {
        if (recorded && removeFile(undoRecordPath(target)) == 0)
            syncFolder(folderOf(target));
        return std::nullopt;
    }
    struct stat now {};
    if (fstatOf(fd, now) == 0 && restore(fd, record, static_cast<std::size_t>(now.st_size)) == 0 &&
        recorded)
        removeFile(undoRecordPath(target));
    return failure(shown, FilePlace::File, code);
}

void removeTemporaries(const fs::path& target) {
    std::error_code error;
    for (fs::directory_iterator entry(folderOf(target), error), end; !error && entry != end;
         entry.increment(error))
        if (isTemporaryOf(entry->path().filename().string(), target))
            removeFile(entry->path());
}

} // namespace

std::optional<FileError> recoverLocked(const fs::path& shown, const fs::path& target,
                                       const struct stat& status) {
    int code = 0;
    std::optional<std::string> bytes = readUndoBytes(target, code);
    if (code == 0 && bytes)
        if (std::optional<UndoRecord> record = decodeUndoRecord(*bytes))
            code = applyUndoRecord(target, status, *record);
    if (code != 0)
        return failure(shown, FilePlace::File, code);
    if (bytes)
        removeFile(undoRecordPath(target));
    removeTemporaries(target);
    return std::nullopt;
}

std::optional<FileError> appendRecorded(const fs::path& shown, const fs::path& target, int fd,
                                        std::string_view bytes) {
    struct stat status {};
    int code = fstatOf(fd, status);
    const UndoRecord record = recordFor(static_cast<std::uint64_t>(status.st_ino), "",
                                        static_cast<std::uint64_t>(status.st_size), bytes, true);
    bool recorded = false;
    if (code == 0)
        code = recordFirst(target, record, recorded);
    if (code != 0)
        return failure(shown, FilePlace::Folder, code);
    return settle(writeAll(fd, bytes), fd, shown, target, record, recorded);
}

std::optional<FileError> writeInPlace(const fs::path& shown, const fs::path& target,
                                      const struct stat& status, std::string_view bytes) {
    int code = 0;
    Descriptor fd = openFile(target, O_RDWR, code);
    std::string old;
    if (code == 0)
        code = readFromStart(fd.get(), old);
    // The room first, the size unchanged, so that a full disk fails before a byte changes.
    if (code == 0 && bytes.size() > old.size()) {
        code = codeOf(retried([&] {
            return ::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes.size()));
        }));
        if (code == EOPNOTSUPP || code == ENOSYS)
            code = 0;
    }
    if (code != 0)
        return failure(shown, FilePlace::File, code);
    const UndoRecord record =
        recordFor(static_cast<std::uint64_t>(status.st_ino), old, old.size(), bytes, false);
    bool recorded = false;
    if ((code = recordFirst(target, record, recorded)) != 0)
        return failure(shown, FilePlace::Folder, code);
    // Written from the start; cut only where the old bytes were longer, so that a write that
    // grows the file needs no cut.
    code = writeAll(fd.get(), bytes, 0);
    if (code == 0 && bytes.size() < old.size())
        code = truncateTo(fd.get(), static_cast<off_t>(bytes.size()));
    return settle(code, fd.get(), shown, target, record, recorded);
}

} // namespace numir::posix
