#include "win32_file.h"

#include <algorithm>
#include <cwctype>

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
    case ERROR_BUSY:
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

namespace win32 {

DWORD Handle::closeNow() {
    DWORD code = *this && !CloseHandle(handle_) ? GetLastError() : 0;
    handle_ = INVALID_HANDLE_VALUE;
    return code;
}

Handle openExisting(const fs::path& path, DWORD access) {
    return Handle(CreateFileW(path.c_str(), access, shareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
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

DWORD readInto(HANDLE file, std::string& content, std::size_t limit) {
    char buffer[1 << 16];
    for (std::uint64_t offset = 0; content.size() < limit;) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        const auto wanted = static_cast<DWORD>(std::min(sizeof buffer, limit - content.size()));
        if (!ReadFile(file, buffer, wanted, &got, &at))
            return GetLastError() == ERROR_HANDLE_EOF ? 0 : GetLastError();
        if (got == 0)
            return 0;
        content.append(buffer, got);
        offset += got;
    }
    return 0;
}

DWORD flush(HANDLE file) {
    return FlushFileBuffers(file) ? 0 : GetLastError();
}

// Every copy locks the same byte far past any real end, so readers are never held up.
DWORD lockExclusive(HANDLE file) {
    OVERLAPPED where{};
    where.OffsetHigh = 0x40000000;
    return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &where) ? 0 : GetLastError();
}

std::optional<std::uint64_t> fileIdOf(HANDLE file, DWORD* links) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info))
        return std::nullopt;
    if (links)
        *links = info.nNumberOfLinks;
    return (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
}

std::optional<DWORD> volumeOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info))
        return std::nullopt;
    return info.dwVolumeSerialNumber;
}

FileError failure(const fs::path& shown, FilePlace place, DWORD code) {
    return FileError{shown.filename().string(), problemFromSystemCode(static_cast<int>(code)),
                     place, static_cast<int>(code)};
}

FileError plainFailure(const fs::path& shown, FileProblem problem) {
    return FileError{shown.filename().string(), problem, FilePlace::File, 0};
}

std::optional<FileError> refusal(const fs::path& path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return plainFailure(path, FileProblem::FolderInTheWay);
    // Wine lets a rename overwrite a read-only file where Windows refuses, so ask first.
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return plainFailure(path, FileProblem::ReadOnly);
    return std::nullopt;
}

fs::path folderOf(const fs::path& path) {
    return path.has_parent_path() ? path.parent_path() : fs::path(L".");
}

namespace {

// numir.txt.<process>-<number>.tmp: the process tells whose it is.
std::optional<DWORD> processOfTemporary(const std::wstring& name, const fs::path& target) {
    const std::wstring stem = target.filename().wstring() + L".", end = L".tmp";
    if (name.size() <= stem.size() + end.size() || name.compare(0, stem.size(), stem) != 0 ||
        name.compare(name.size() - end.size(), end.size(), end) != 0)
        return std::nullopt;
    const std::wstring middle = name.substr(stem.size(), name.size() - stem.size() - end.size());
    const auto dash = middle.find(L'-');
    auto digits = [](const std::wstring& s) {
        return !s.empty() && s.size() < 11 && std::all_of(s.begin(), s.end(), ::iswdigit);
    };
    if (dash == std::wstring::npos || !digits(middle.substr(0, dash)) ||
        !digits(middle.substr(dash + 1)))
        return std::nullopt;
    return static_cast<DWORD>(std::stoul(middle.substr(0, dash)));
}

bool stillRunning(DWORD process) {
    HANDLE running = OpenProcess(SYNCHRONIZE, FALSE, process);
    if (!running)
        return GetLastError() != ERROR_INVALID_PARAMETER;
    const bool exited = WaitForSingleObject(running, 0) == WAIT_OBJECT_0;
    CloseHandle(running);
    return !exited;
}

} // namespace

Handle temporaryBeside(const fs::path& target, fs::path& name, DWORD& code) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        name = folderOf(target) /
               (target.filename().wstring() + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetTickCount() + attempt) + L".tmp");
        Handle file(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        code = file ? 0 : GetLastError();
        if (code != ERROR_FILE_EXISTS)
            return file;
    }
    return Handle();
}

void removeTemporaries(const fs::path& target) {
    std::error_code error;
    for (fs::directory_iterator entry(folderOf(target), error), end; !error && entry != end;
         entry.increment(error)) {
        auto process = processOfTemporary(entry->path().filename().wstring(), target);
        if (process && (*process == GetCurrentProcessId() || !stillRunning(*process)))
            DeleteFileW(entry->path().c_str());
    }
}

bool takesNoNewFile(DWORD code) {
    return code == ERROR_ACCESS_DENIED || code == ERROR_WRITE_PROTECT;
}

} // namespace win32
} // namespace numir
