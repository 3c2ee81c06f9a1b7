// The Win32 file calls that the durable writes are made of, each giving the system's error
// code (0 for success). Which calls make a safe write is durable_write_win32.cpp's; this
// only wraps each one, with the wide names so that folders with Japanese names work
// whatever the code page.
#pragma once

#include "file_error.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <windows.h>

namespace numir::win32 {

namespace fs = std::filesystem;

inline constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Owns a file handle; closed when it goes.
class Handle {
  public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~Handle() { closeNow(); }
    Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    Handle& operator=(Handle&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
    DWORD closeNow();

  private:
    HANDLE handle_;
};

Handle openExisting(const fs::path& path, DWORD access);
DWORD writeAt(HANDLE file, std::string_view bytes, std::uint64_t offset);
DWORD setLength(HANDLE file, std::uint64_t length);
std::optional<std::uint64_t> lengthOf(HANDLE file);
// Appends what the file holds from its start, up to limit bytes, to content.
DWORD readInto(HANDLE file, std::string& content, std::size_t limit = std::string::npos);
DWORD flush(HANDLE file);
DWORD lockExclusive(HANDLE file);
// The volume and file index that tell one file from another; nothing when they cannot be read.
std::optional<std::uint64_t> fileIdOf(HANDLE file, DWORD* links = nullptr);
std::optional<DWORD> volumeOf(HANDLE file);

FileError failure(const fs::path& shown, FilePlace place, DWORD code);
FileError plainFailure(const fs::path& shown, FileProblem problem);
// Attributes of an existing file that rule a write out; nothing when it may be written.
std::optional<FileError> refusal(const fs::path& path, DWORD attributes);
fs::path folderOf(const fs::path& path);

// A new file beside target under a name of this process's own; a file already there is
// never touched.
Handle temporaryBeside(const fs::path& target, fs::path& name, DWORD& code);
// Removes temporary files beside target that copies of the program no longer running left.
void removeTemporaries(const fs::path& target);
// Errors that mean the folder takes no new file, while the file in it may still be written.
bool takesNoNewFile(DWORD code);

// The rest of a write happens while the file's lock is held (durable_write_win32.cpp).
// Puts the file back as the record of an interrupted write says, and clears away what
// killed runs left beside it.
std::optional<FileError> recoverLocked(const fs::path& target, HANDLE locked);
// Appends through the locked handle; writes over the file itself (a second hard link, a
// folder that takes no new file). Both keep a record of what the file was first, so that
// the next run can put it back after a kill; a failure puts it back at once.
std::optional<FileError> appendRecorded(const fs::path& target, HANDLE locked,
                                        std::string_view bytes);
std::optional<FileError> writeInPlace(const fs::path& target, HANDLE locked,
                                      std::string_view bytes);

} // namespace numir::win32
