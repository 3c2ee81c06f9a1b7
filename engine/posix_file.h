// The Linux file calls that the durable writes are made of, each retried when a signal
// interrupts it and each giving errno (0 for success) rather than a -1 to look up. Which
// calls make a safe write is durable_write_posix.cpp's; this only makes each one dependable.
#pragma once

#include "file_error.h"

#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <utility>

namespace numir::posix {

namespace fs = std::filesystem;

// A call interrupted by a signal is made again, a bounded number of times, so that a storm
// of signals cannot hold a run for ever. Gives the call's result, errno set on -1.
template <class Call> auto retried(Call call) {
    auto result = call();
    for (int again = 0; again < 100 && result == -1 && errno == EINTR; ++again)
        result = call();
    return result;
}

inline int codeOf(int result) {
    return result == -1 ? errno : 0;
}

// Owns a file descriptor; closed when it goes.
class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { closeNow(); }
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // A close can report a write the system had kept back, so its result counts.
    int closeNow();

  private:
    int fd_;
};

// Opens path; errno in code when the descriptor is empty.
Descriptor openFile(const fs::path& path, int flags, int& code, mode_t mode = 0);
int statOf(const fs::path& path, struct stat& status);
int lstatOf(const fs::path& path, struct stat& status);
int fstatOf(int fd, struct stat& status);
int lockExclusive(int fd);
// At offset when it is not negative, else where the descriptor stands.
int writeAll(int fd, std::string_view bytes, off_t offset = -1);
// Appends what the file holds, up to limit bytes, to content.
int readInto(int fd, std::string& content, std::size_t limit = std::string::npos);
int truncateTo(int fd, off_t length);
int syncData(int fd);
int syncAll(int fd);
int syncFolder(const fs::path& folder);
int renameFile(const fs::path& from, const fs::path& to);
int removeFile(const fs::path& path);

fs::path folderOf(const fs::path& path);
FileError failure(const fs::path& shown, FilePlace place, int code);
// What rules a write to an existing file out: a folder in its place, or no write bit in its
// mode (checked by hand, since the kernel lets root write anything).
std::optional<FileError> refusal(const fs::path& shown, const struct stat& status);
bool sameFile(const struct stat& a, const struct stat& b);

// A new file beside target under a unique name of the program's own (mkostemp); a file
// already there is never touched. errno in code when the descriptor is empty.
Descriptor temporaryBeside(const fs::path& target, fs::path& name, int& code);
// Whether a name is such a temporary file of target's.
bool isTemporaryOf(const std::string& name, const fs::path& target);
// Errors that mean the folder takes no new file, while the file in it may still be written.
bool takesNoNewFile(int code);

// The rest of a write happens while the file's lock is held (durable_write_posix.cpp).
// Puts back the old bytes that an interrupted write in place left a record of, and removes
// temporary files that runs killed earlier left beside target.
std::optional<FileError> recoverLocked(const fs::path& shown, const fs::path& target,
                                       const struct stat& status);
// Appends bytes through fd, the file's locked descriptor opened for appending.
std::optional<FileError> appendRecorded(const fs::path& shown, const fs::path& target, int fd,
                                        std::string_view bytes);
// Writes bytes over the file itself, for a file that must stay the same file (a second
// hard link, a folder that takes no new file).
// Both keep a record of what the file was first, so that the next run can put it back
// after a kill; a failure puts it back at once.
std::optional<FileError> writeInPlace(const fs::path& shown, const fs::path& target,
                                      const struct stat& status, std::string_view bytes);

} // namespace numir::posix
