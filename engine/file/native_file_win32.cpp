// Windows side of native_file.h, with the wide names so that folders with Japanese names work
// whatever the code page. A temporary file is held without delete sharing until it is moved
// through its own handle, so that no other copy's clean-up can remove it in flight.
#include "native_file.h"

#include <aclapi.h>
#include <random>
#include <vector>
#include <windows.h>
#ifdef NUMIR_WIN32_FAULT_SEAM // the test writer's: any of the calls below can be made to fail
#include "win32_fault_seam.h"
#endif

namespace numir {
namespace native {
namespace {

constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE handleOf(const File& file) {
    return reinterpret_cast<HANDLE>(file.handle());
}

Code lastError() {
    return static_cast<Code>(GetLastError());
}

// Another program's brief hold (a virus scanner, the search indexer, a sync client) is
// waited out for about a second.
Result<File> created(const fs::path& path, DWORD access, DWORD sharing, DWORD disposition,
                     DWORD flags = FILE_ATTRIBUTE_NORMAL, int pausesAtMost = 20) {
    for (int pauses = 0;; ++pauses) {
        HANDLE handle =
            CreateFileW(path.c_str(), access, sharing, nullptr, disposition, flags, nullptr);
        if (handle != INVALID_HANDLE_VALUE)
            return File(reinterpret_cast<std::intptr_t>(handle));
        const Code code = lastError();
        if (pauses == pausesAtMost ||
            (code != ERROR_SHARING_VIOLATION && code != ERROR_LOCK_VIOLATION))
            return code;
        Sleep(50);
    }
}

Code succeeded(BOOL done) {
    return done ? 0 : lastError();
}

OVERLAPPED at(std::uint64_t offset) {
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(offset);
    where.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return where;
}

Result<BY_HANDLE_FILE_INFORMATION> informationOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info))
        return lastError();
    return info;
}

Identity identityIn(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber,
            (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

// The name goes at once where the file system can (POSIX semantics, Windows 10 1709 and
// later on NTFS); elsewhere it goes once every handle to the file is closed.
Code deleteThrough(HANDLE handle) {
    struct {
        ULONG flags;
    } atOnce{0x1 | 0x2}; // FILE_DISPOSITION_INFO_EX: delete, with POSIX semantics
    constexpr auto dispositionEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
    if (SetFileInformationByHandle(handle, dispositionEx, &atOnce, sizeof atOnce))
        return 0;
    FILE_DISPOSITION_INFO dispose{TRUE};
    return succeeded(
        SetFileInformationByHandle(handle, FileDispositionInfo, &dispose, sizeof dispose));
}

} // namespace

Code File::close() {
    if (!*this)
        return 0;
    Code code = CloseHandle(handleOf(*this)) ? 0 : lastError();
    handle_ = invalid;
    return code;
}

void prepareForWriting() {}

// The final name of the file the path leads to, so that a symbolic link stays a link and its
// target gets the lines; a missing file is named as it was given.
Result<fs::path> followLinks(const fs::path& path) {
    auto opened = created(path, 0, shareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (auto* code = std::get_if<Code>(&opened))
        return isMissing(*code) || *code == ERROR_PATH_NOT_FOUND ? Result<fs::path>(path) : *code;
    HANDLE handle = handleOf(std::get<File>(opened));
    std::wstring name(MAX_PATH, L'\0');
    for (int tries = 0; tries < 2; ++tries) {
        const DWORD length =
            GetFinalPathNameByHandleW(handle, name.data(), static_cast<DWORD>(name.size()), 0);
        if (length == 0)
            return lastError();
        const bool fits = length < name.size();
        name.resize(length);
        if (fits)
            break;
    }
    if (name.starts_with(L"\\\\?\\UNC\\"))
        return L"\\" + name.substr(7);
    if (name.starts_with(L"\\\\?\\"))
        return name.substr(4);
    return fs::path(name);
}

Result<NameStatus> statusOf(const fs::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? Result<NameStatus>(NameStatus{})
                                                      : lastError();
    return NameStatus{attributes & FILE_ATTRIBUTE_DIRECTORY ? Kind::Folder : Kind::Regular,
                      (attributes & FILE_ATTRIBUTE_READONLY) != 0};
}

Code createEmpty(const fs::path& path) {
    auto made = created(path, GENERIC_WRITE, shareAll, CREATE_NEW);
    if (auto* code = std::get_if<Code>(&made))
        return *code == ERROR_FILE_EXISTS ? 0 : *code;
    return flush(std::get<File>(made));
}

Result<File> openForReading(const fs::path& path) {
    return created(path, GENERIC_READ, shareAll, OPEN_EXISTING);
}

Result<File> openForWriting(const fs::path& path) {
    return created(path, GENERIC_READ | GENERIC_WRITE, shareAll, OPEN_EXISTING);
}

// Every copy locks the same byte far past any real end, so readers are never held up.
Code lock(const File& file) {
    OVERLAPPED where = at(std::uint64_t{0x40000000} << 32);
    return succeeded(LockFileEx(handleOf(file), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &where));
}

Result<Facts> factsOf(const File& file) {
    auto info = informationOf(handleOf(file));
    if (auto* code = std::get_if<Code>(&info))
        return *code;
    const auto& known = std::get<BY_HANDLE_FILE_INFORMATION>(info);
    return Facts{identityIn(known), known.nNumberOfLinks,
                 (std::uint64_t{known.nFileSizeHigh} << 32) | known.nFileSizeLow};
}

Result<Identity> identityOf(const fs::path& path) {
    // No access asked for, so that no other program's sharing can refuse the look.
    auto named = created(path, 0, shareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (auto* code = std::get_if<Code>(&named))
        return *code;
    auto info = informationOf(handleOf(std::get<File>(named)));
    if (auto* code = std::get_if<Code>(&info))
        return *code;
    return identityIn(std::get<BY_HANDLE_FILE_INFORMATION>(info));
}

Code readAll(const File& file, std::string& content, std::size_t limit) {
    std::vector<char> buffer(1 << 16);
    for (std::uint64_t offset = 0; content.size() < limit;) {
        OVERLAPPED where = at(offset);
        DWORD got = 0;
        const auto wanted = static_cast<DWORD>(std::min(buffer.size(), limit - content.size()));
        if (!ReadFile(handleOf(file), buffer.data(), wanted, &got, &where))
            return GetLastError() == ERROR_HANDLE_EOF ? 0 : lastError();
        if (got == 0)
            return 0;
        content.append(buffer.data(), got);
        offset += got;
    }
    return 0;
}

Code writeAt(const File& file, std::string_view bytes, std::uint64_t offset) {
    while (!bytes.empty()) {
        OVERLAPPED where = at(offset);
        DWORD written = 0;
        if (!WriteFile(handleOf(file), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       &where))
            return lastError();
        if (written == 0)
            return ERROR_WRITE_FAULT;
        bytes.remove_prefix(written);
        offset += written;
    }
    return 0;
}

Code setLength(const File& file, std::uint64_t length) {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(length);
    return succeeded(
        SetFileInformationByHandle(handleOf(file), FileEndOfFileInfo, &end, sizeof end));
}

Code reserve(const File&, std::uint64_t) {
    return 0;
}

Code flush(const File& file) {
    return succeeded(FlushFileBuffers(handleOf(file)));
}

Code writeThrough(const fs::path&, std::string_view) {
    return ERROR_NOT_SUPPORTED; // statusOf never says Other here
}

Result<Temporary> temporaryBeside(const fs::path& target, const File* like, std::string_view mark) {
    static constexpr char letters[] =
        "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::random_device source;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string random;
        for (std::size_t i = 0; i < temporaryRandomLength; ++i)
            random += letters[source() % (sizeof letters - 1)];
        fs::path name = ownName(target, random, mark);
        // Read sharing only: nobody can remove or rename it until it is moved.
        auto made = created(name, GENERIC_READ | GENERIC_WRITE | DELETE | WRITE_DAC | WRITE_OWNER,
                            FILE_SHARE_READ, CREATE_NEW);
        if (auto* code = std::get_if<Code>(&made)) {
            if (*code == ERROR_FILE_EXISTS)
                continue;
            return *code;
        }
        Temporary temporary{std::move(std::get<File>(made)), name};
        if (Code code = like ? takeSettingsOf(*like, temporary.file) : 0) {
            discard(temporary);
            return code;
        }
        return temporary;
    }
    return ERROR_FILE_EXISTS;
}

Code moveOver(Temporary& temporary, const fs::path& destination) {
    const std::wstring name = fs::absolute(destination).wstring();
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + (name.size() + 1) * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    std::copy(name.begin(), name.end(), rename->FileName); // zeroed: no root, the ending
    Code code = flush(temporary.file);
    if (code == 0)
        code = succeeded(SetFileInformationByHandle(handleOf(temporary.file), FileRenameInfo,
                                                    rename, static_cast<DWORD>(buffer.size())));
    if (code == 0)
        temporary.file.close(); // the move has taken effect: a failing close changes nothing
    return code;
}

// Windows refuses to replace a file that has a handle open, the lock's included. Whoever gets
// the lock next sees the new file, or the old one still named when the move is refused.
Code replaceLocked(Temporary& temporary, const fs::path& target, File& locked) {
    locked.close();
    return moveOver(temporary, target);
}

Result<File> openOwn(const fs::path& path) {
    return created(path, GENERIC_READ | GENERIC_WRITE | DELETE, shareAll, OPEN_EXISTING);
}

Code removeOpen(Temporary& temporary) {
    return deleteThrough(handleOf(temporary.file));
}

Code discard(Temporary& temporary) {
    if (temporary.file && deleteThrough(handleOf(temporary.file)) == 0)
        return temporary.file.close();
    temporary.file.close();
    return removeIfFree(temporary.name);
}

// Opened for deletion only where no run holds it: a temporary file in flight refuses this.
Code removeIfFree(const fs::path& path) {
    auto opened = created(path, DELETE, shareAll, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (auto* code = std::get_if<Code>(&opened))
        return *code == ERROR_FILE_NOT_FOUND ? 0 : *code;
    return deleteThrough(handleOf(std::get<File>(opened)));
}

Code syncFolder(const fs::path&) {
    return 0; // a move through the handle is flushed with the file
}

} // namespace native
} // namespace numir
