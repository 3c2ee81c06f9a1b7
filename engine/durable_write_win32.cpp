// Windows side of durable_write.h: LockFileEx, FlushFileBuffers, and MoveFileExW with
// MOVEFILE_WRITE_THROUGH. Names go to the wide functions, so folders with Japanese names
// work whatever the code page.
#include "durable_write.h"

#include <algorithm>
#include <string>
#include <windows.h>

namespace numir {

FileProblem problemFromSystemCode(int code) {
    switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
        return FileProblem::NoPermission;
    case ERROR_WRITE_PROTECT:
        return FileProblem::ReadOnly;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return FileProblem::DiskFull;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return FileProblem::InUse;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
        return FileProblem::FolderMissing;
    case ERROR_DIRECTORY:
        return FileProblem::FolderInTheWay;
    default:
        return FileProblem::Other;
    }
}

namespace {

namespace fs = std::filesystem;

constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class Handle {
  public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() { closeNow(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
    DWORD closeNow() {
        DWORD code = *this && !CloseHandle(handle_) ? GetLastError() : 0;
        handle_ = INVALID_HANDLE_VALUE;
        return code;
    }

  private:
    HANDLE handle_;
};

FileError failure(const fs::path& shown, FilePlace place, DWORD code) {
    return FileError{shown.filename().string(), problemFromSystemCode(static_cast<int>(code)),
                     place, static_cast<int>(code)};
}

FileError plainFailure(const fs::path& shown, FileProblem problem) {
    return FileError{shown.filename().string(), problem, FilePlace::File, 0};
}

// Attributes of an existing file that rule a write out; nothing when it may be written.
std::optional<FileError> refusal(const fs::path& path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return plainFailure(path, FileProblem::FolderInTheWay);
    // Wine lets a rename overwrite a read-only file where Windows refuses, so ask first.
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return plainFailure(path, FileProblem::ReadOnly);
    return std::nullopt;
}

HANDLE openExisting(const fs::path& path, DWORD access) {
    return CreateFileW(path.c_str(), access, shareAll, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

DWORD writeAt(HANDLE file, std::string_view bytes, std::uint64_t offset) {
    while (!bytes.empty()) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, &at))
            return GetLastError();
        if (written == 0)
            return ERROR_WRITE_FAULT;
        bytes.remove_prefix(written);
        offset += written;
    }
    return 0;
}

DWORD setLength(HANDLE file, std::uint64_t length) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(length);
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file) ? 0
                                                                                 : GetLastError();
}

std::optional<std::uint64_t> lengthOf(HANDLE file) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size))
        return std::nullopt;
    return static_cast<std::uint64_t>(size.QuadPart);
}

// Every copy locks the same byte far past any real end, so readers are never held up.
DWORD lockExclusive(HANDLE file) {
    OVERLAPPED where{};
    where.OffsetHigh = 0x40000000;
    return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &where) ? 0 : GetLastError();
}

std::optional<BY_HANDLE_FILE_INFORMATION> identityOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info))
        return std::nullopt;
    return info;
}

// After waiting for the lock: another copy of the program may have put a new file in place.
bool stillThere(HANDLE held, const fs::path& path) {
    Handle named(CreateFileW(path.c_str(), 0, shareAll, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    auto a = identityOf(held);
    auto b = named ? identityOf(named.get()) : std::nullopt;
    return a && b && a->dwVolumeSerialNumber == b->dwVolumeSerialNumber &&
           a->nFileIndexHigh == b->nFileIndexHigh && a->nFileIndexLow == b->nFileIndexLow;
}

// Appends what the file holds, up to limit bytes, to content; gives the error or 0.
DWORD readInto(HANDLE file, std::string& content, std::size_t limit) {
    char buffer[1 << 16];
    while (content.size() < limit) {
        DWORD got = 0;
        const auto wanted = static_cast<DWORD>(std::min(sizeof buffer, limit - content.size()));
        if (!ReadFile(file, buffer, wanted, &got, nullptr))
            return GetLastError();
        if (got == 0)
            return 0;
        content.append(buffer, got);
    }
    return 0;
}

std::optional<std::string> readAll(const fs::path& path) {
    Handle file(openExisting(path, GENERIC_READ));
    std::string content;
    if (!file || readInto(file.get(), content, std::string::npos) != 0)
        return std::nullopt;
    return content;
}

DWORD writeAndFlush(HANDLE file, std::string_view bytes) {
    DWORD code = writeAt(file, bytes, 0);
    return code == 0 && !FlushFileBuffers(file) ? GetLastError() : code;
}

// A brand-new file needs no rename; it is removed again if it cannot be filled. Fails with
// ERROR_FILE_EXISTS when another copy made it first.
std::optional<FileError> createWith(const fs::path& path, std::string_view bytes) {
    Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, shareAll, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return failure(path, FilePlace::Folder, GetLastError());
    // Another copy appending may open the new file at once; it waits for this lock.
    DWORD code = lockExclusive(file.get());
    if (code == 0)
        code = writeAndFlush(file.get(), bytes);
    if (DWORD closed = file.closeNow(); code == 0)
        code = closed;
    if (code == 0)
        return std::nullopt;
    DeleteFileW(path.c_str());
    return failure(path, FilePlace::File, code);
}

// The room is taken before the first old byte is overwritten, so a full disk fails while
// the file is still whole; any other failure puts the old bytes back.
std::optional<FileError> writeInPlace(const fs::path& path, std::string_view bytes) {
    const std::optional<std::string> old = readAll(path);
    Handle file(openExisting(path, GENERIC_WRITE));
    if (!file)
        return failure(path, FilePlace::File, GetLastError());
    auto oldLength = lengthOf(file.get());
    if (!oldLength)
        return failure(path, FilePlace::File, GetLastError());
    if (bytes.size() > *oldLength) {
        if (DWORD code = setLength(file.get(), bytes.size())) {
            setLength(file.get(), *oldLength);
            return failure(path, FilePlace::File, code);
        }
    }
    DWORD code = writeAt(file.get(), bytes, 0);
    if (code == 0)
        code = setLength(file.get(), bytes.size());
    if (code == 0 && !FlushFileBuffers(file.get()))
        code = GetLastError();
    if (code == 0)
        return std::nullopt;
    if (old) {
        writeAt(file.get(), *old, 0);
        setLength(file.get(), *oldLength);
        FlushFileBuffers(file.get());
    }
    return failure(path, FilePlace::File, code);
}

// A name of this process's own beside the file; a file already there is never touched.
std::optional<std::pair<fs::path, HANDLE>> newFileBeside(const fs::path& path) {
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(L".");
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        fs::path name =
            folder / (path.filename().wstring() + L"." + std::to_wstring(GetCurrentProcessId()) +
                      L"-" + std::to_wstring(GetTickCount() + attempt) + L".tmp");
        HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            return std::pair(name, file);
        if (GetLastError() != ERROR_FILE_EXISTS)
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<FileError> renameOver(const fs::path& path, DWORD attributes, Handle& lock,
                                    std::string_view bytes) {
    auto made = newFileBeside(path);
    if (!made)
        return writeInPlace(path, bytes); // the folder takes no new file
    Handle file(made->second);
    DWORD code = writeAndFlush(file.get(), bytes);
    if (DWORD closed = file.closeNow(); code == 0)
        code = closed;
    if (code == 0)
        SetFileAttributesW(made->first.c_str(), attributes & ~FILE_ATTRIBUTE_NORMAL);
    // Windows refuses to rename over a file that has any handle open, the lock's included.
    // Whoever gets the lock next sees the new file and starts again.
    lock.closeNow();
    if (code == 0 && !MoveFileExW(made->first.c_str(), path.c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        code = GetLastError();
    if (code == 0)
        return std::nullopt;
    DeleteFileW(made->first.c_str());
    return failure(path, FilePlace::File, code);
}

} // namespace

std::optional<FileError> appendDurably(const fs::path& path, std::string_view bytes) {
    for (;;) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        const bool existed = attributes != INVALID_FILE_ATTRIBUTES;
        if (existed)
            if (auto refused = refusal(path, attributes))
                return refused;
        // GENERIC_WRITE holds FILE_APPEND_DATA, and the write access a lock needs.
        Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, shareAll, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return failure(path, existed ? FilePlace::File : FilePlace::Folder, GetLastError());
        if (DWORD code = lockExclusive(file.get()))
            return failure(path, FilePlace::File, code);
        if (!stillThere(file.get(), path))
            continue;
        auto oldLength = lengthOf(file.get());
        if (!oldLength)
            return failure(path, FilePlace::File, GetLastError());
        DWORD code = writeAt(file.get(), bytes, *oldLength);
        if (code == 0 && !FlushFileBuffers(file.get()))
            code = GetLastError();
        if (code == 0)
            return std::nullopt;
        setLength(file.get(), *oldLength);
        FlushFileBuffers(file.get());
        return failure(path, FilePlace::File, code);
    }
}

std::optional<FileError> replaceDurably(const fs::path& path, std::string_view bytes) {
    for (;;) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            DWORD code = GetLastError();
            if (code != ERROR_FILE_NOT_FOUND)
                return failure(path, FilePlace::Folder, code);
            auto error = createWith(path, bytes);
            if (!error || error->systemCode != ERROR_FILE_EXISTS)
                return error;
            continue;
        }
        if (auto refused = refusal(path, attributes))
            return refused;
        // Opened for writing so that a file this user may not change is refused here.
        Handle lock(openExisting(path, GENERIC_WRITE));
        if (!lock)
            return failure(path, FilePlace::File, GetLastError());
        if (DWORD code = lockExclusive(lock.get()))
            return failure(path, FilePlace::File, code);
        auto identity = identityOf(lock.get());
        if (!identity || !stillThere(lock.get(), path))
            continue;
        // Renaming would split a second hard link off the lines.
        if (identity->nNumberOfLinks > 1)
            return writeInPlace(path, bytes);
        return renameOver(path, attributes, lock, bytes);
    }
}

std::variant<std::string, FileError> readBeginning(const fs::path& path, std::size_t limit) {
    Handle file(openExisting(path, GENERIC_READ));
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

} // namespace numir
