// Windows side of durable_write.h: one locked write per run, through the file itself or a
// new file moved over it with MOVEFILE_WRITE_THROUGH; LockFileEx makes copies of the
// program take turns.
#include "durable_write.h"
#include "win32_file.h"

namespace numir {

using namespace win32;

namespace {

// Another copy may put a new file in place while this one waits for the lock; after this
// many such turns the file counts as in use, rather than the run going round for ever.
constexpr int turnsAtMost = 8;

enum class Mode { Append, Replace };

// After waiting for the lock: whether the name still leads to the locked file (another copy
// may have moved a new one in place), or the error that keeps this from being known.
std::variant<bool, DWORD> stillThere(HANDLE held, const fs::path& path) {
    Handle named(CreateFileW(path.c_str(), 0, shareAll, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!named)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? std::variant<bool, DWORD>(false)
                                                      : GetLastError();
    auto a = fileIdOf(held), b = fileIdOf(named.get());
    auto va = volumeOf(held), vb = volumeOf(named.get());
    if (!a || !b || !va || !vb)
        return GetLastError();
    return *a == *b && *va == *vb;
}

// A missing file is made empty first, and then written as any other.
DWORD createEmpty(const fs::path& path) {
    Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, shareAll, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD code = file ? flush(file.get()) : GetLastError();
    return code == ERROR_FILE_EXISTS ? 0 : code;
}

// Writes and flushes a file with a name of its own and moves it over the old one.
std::optional<FileError> renameOver(const fs::path& path, DWORD attributes, Handle& lock,
                                    std::string_view bytes) {
    fs::path name;
    DWORD code = 0;
    Handle file = temporaryBeside(path, name, code);
    if (!file)
        return takesNoNewFile(code) ? writeInPlace(path, lock.get(), bytes)
                                    : failure(path, FilePlace::Folder, code);
    code = writeAt(file.get(), bytes, 0);
    if (code == 0)
        code = flush(file.get());
    if (DWORD closed = file.closeNow(); code == 0)
        code = closed;
    if (code == 0)
        SetFileAttributesW(name.c_str(), attributes & ~FILE_ATTRIBUTE_NORMAL);
    // Windows refuses to rename over a file that has any handle open, the lock's included.
    // Whoever gets the lock next sees the new file and starts again.
    lock.closeNow();
    if (code == 0 && !MoveFileExW(name.c_str(), path.c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        code = GetLastError();
    if (code == 0)
        return std::nullopt;
    DeleteFileW(name.c_str());
    return failure(path, FilePlace::File, code);
}

// The one write of a run. Every look at the file that fails ends it before anything is
// written.
std::optional<FileError> writeDurably(const fs::path& path, std::string_view bytes, Mode mode) {
    for (int turn = 0; turn < turnsAtMost; ++turn) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            DWORD code = GetLastError();
            if (code == ERROR_FILE_NOT_FOUND)
                code = createEmpty(path);
            if (code != 0)
                return failure(path, FilePlace::Folder, code);
            continue;
        }
        if (auto refused = refusal(path, attributes))
            return refused;
        // Opened for writing so that a file this user may not change is refused here.
        Handle lock = openExisting(path, GENERIC_READ | GENERIC_WRITE);
        if (!lock)
            return failure(path, FilePlace::File, GetLastError());
        if (DWORD code = lockExclusive(lock.get()))
            return failure(path, FilePlace::File, code);
        auto there = stillThere(lock.get(), path);
        if (auto* code = std::get_if<DWORD>(&there))
            return failure(path, FilePlace::File, *code);
        if (!std::get<bool>(there))
            continue;
        if (auto error = recoverLocked(path, lock.get()))
            return error;
        DWORD links = 1;
        if (!fileIdOf(lock.get(), &links))
            return failure(path, FilePlace::File, GetLastError());
        if (mode == Mode::Append)
            return appendRecorded(path, lock.get(), bytes);
        // Renaming would split a second hard link off the lines.
        return links > 1 ? writeInPlace(path, lock.get(), bytes)
                         : renameOver(path, attributes, lock, bytes);
    }
    return failure(path, FilePlace::File, ERROR_BUSY);
}

} // namespace

std::optional<FileError> appendDurably(const fs::path& path, std::string_view bytes) {
    return writeDurably(path, bytes, Mode::Append);
}

std::optional<FileError> replaceDurably(const fs::path& path, std::string_view bytes) {
    return writeDurably(path, bytes, Mode::Replace);
}

std::variant<std::string, FileError> readBeginning(const fs::path& path, std::size_t limit) {
    Handle file = openExisting(path, GENERIC_READ);
    std::string content;
    if (DWORD code = file ? readInto(file.get(), content, limit) : GetLastError())
        return failure(path, FilePlace::File, code);
    return content;
}

std::optional<FileError> createIfMissing(const fs::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return attributes & FILE_ATTRIBUTE_DIRECTORY
                   ? std::optional(plainFailure(path, FileProblem::FolderInTheWay))
                   : std::nullopt;
    Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, shareAll, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file && GetLastError() != ERROR_FILE_EXISTS)
        return failure(path, FilePlace::Folder, GetLastError());
    return std::nullopt;
}

std::optional<FileError> recoverInterruptedWrite(const fs::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    // A read-only file was never written, so nothing of a run's can be left to put back.
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY))
        return std::nullopt;
    Handle lock = openExisting(path, GENERIC_READ | GENERIC_WRITE);
    if (!lock)
        return std::nullopt; // held by another program: the next run says so
    if (DWORD code = lockExclusive(lock.get()))
        return failure(path, FilePlace::File, code);
    return recoverLocked(path, lock.get());
}

} // namespace numir
