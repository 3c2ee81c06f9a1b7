// Windows: the writes that change the file itself (an append, a write over it), each with a
// record beside it of what the file was; putting that back after an interruption, and
// clearing away what killed runs left.
#include "undo_journal.h"
#include "win32_file.h"

namespace numir::win32 {
namespace {

// The record reaches its own name only once it is whole and on the disk.
DWORD keepUndoRecord(const fs::path& target, const UndoRecord& record) {
    fs::path name;
    DWORD code = 0;
    Handle file = temporaryBeside(target, name, code);
    if (!file)
        return code;
    code = writeAt(file.get(), encodeUndoRecord(record), 0);
    if (code == 0)
        code = flush(file.get());
    if (DWORD closed = file.closeNow(); code == 0)
        code = closed;
    if (code == 0 && !MoveFileExW(name.c_str(), undoRecordPath(target).c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        code = GetLastError();
    if (code != 0)
        DeleteFileW(name.c_str());
    return code;
}

// The record's bytes, or nothing when there is none.
std::optional<std::string> readUndoBytes(const fs::path& target, DWORD& code) {
    Handle file = openExisting(undoRecordPath(target), GENERIC_READ);
    code = file ? 0 : GetLastError();
    if (!file) {
        code = code == ERROR_FILE_NOT_FOUND ? 0 : code;
        return std::nullopt;
    }
    std::string bytes;
    code = readInto(file.get(), bytes);
    return bytes;
}

// The file as the record says it was, from a file now length long.
DWORD restore(HANDLE file, const UndoRecord& record, std::uint64_t length) {
    DWORD code = writeAt(file, record.oldBytes, 0);
    if (code == 0 && record.oldLength < length)
        code = setLength(file, record.oldLength);
    return code == 0 ? flush(file) : code;
}

bool removeRecord(const fs::path& target) {
    return DeleteFileW(undoRecordPath(target).c_str()) != 0;
}

// Keeps a record unless the folder takes no new file or has no room for one, in which case
// the write goes ahead without, as it would have before records.
DWORD recordFirst(const fs::path& target, const UndoRecord& record, bool& recorded) {
    DWORD code = keepUndoRecord(target, record);
    recorded = code == 0;
    const bool noRoom = code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL;
    return takesNoNewFile(code) || noRoom ? 0 : code;
}

// The end of a recorded write that went as far as code says: flushed and the record
// dropped, or the file put back as the record says, the record gone, and the failure said.
std::optional<FileError> settle(DWORD code, HANDLE file, const fs::path& target,
                                const UndoRecord& record, bool recorded) {
    if (code == 0 && (code = flush(file)) == 0) {
        if (recorded)
            removeRecord(target);
        return std::nullopt;
    }
    auto length = lengthOf(file);
    if (length && restore(file, record, *length) == 0 && recorded)
        removeRecord(target);
    return failure(target, FilePlace::File, code);
}

} // namespace

std::optional<FileError> recoverLocked(const fs::path& target, HANDLE locked) {
    DWORD code = 0;
    std::optional<std::string> bytes = readUndoBytes(target, code);
    auto fileId = fileIdOf(locked);
    if (code == 0 && bytes && fileId)
        if (std::optional<UndoRecord> record = decodeUndoRecord(*bytes);
            record && record->fileId == *fileId) {
            std::string now;
            code = readInto(locked, now);
            if (code == 0 && !writeFinished(*record, now))
                code = restore(locked, *record, now.size());
        }
    if (code != 0)
        return failure(target, FilePlace::File, code);
    if (bytes)
        removeRecord(target);
    removeTemporaries(target);
    return std::nullopt;
}

std::optional<FileError> appendRecorded(const fs::path& target, HANDLE locked,
                                        std::string_view bytes) {
    auto length = lengthOf(locked);
    auto fileId = fileIdOf(locked);
    if (!length || !fileId)
        return failure(target, FilePlace::File, GetLastError());
    const UndoRecord record = recordFor(*fileId, "", *length, bytes, true);
    bool recorded = false;
    if (DWORD code = recordFirst(target, record, recorded))
        return failure(target, FilePlace::Folder, code);
    return settle(writeAt(locked, bytes, *length), locked, target, record, recorded);
}

std::optional<FileError> writeInPlace(const fs::path& target, HANDLE locked,
                                      std::string_view bytes) {
    std::string old;
    DWORD code = readInto(locked, old);
    auto fileId = fileIdOf(locked);
    if (code == 0 && !fileId)
        code = GetLastError();
    if (code != 0)
        return failure(target, FilePlace::File, code);
    const UndoRecord record = recordFor(*fileId, old, old.size(), bytes, false);
    bool recorded = false;
    if ((code = recordFirst(target, record, recorded)) != 0)
        return failure(target, FilePlace::Folder, code);
    code = writeAt(locked, bytes, 0);
    if (code == 0 && bytes.size() < old.size())
        code = setLength(locked, bytes.size());
    return settle(code, locked, target, record, recorded);
}

} // namespace numir::win32
