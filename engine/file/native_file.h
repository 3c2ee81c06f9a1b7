// The few calls of the system's own file interface that a safe write is made of: open and
// lock, read, write at an offset, set the length, flush, tell one file from another, and make
// a temporary file beside another and move it over a name. Linux and Windows each implement
// them (native_file_*.cpp, with what the system's codes mean in native_system_*.cpp) and
// nothing more; which calls make a safe write, and in what order, is durable_write.cpp's.
#pragma once

#include "file_error.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace numir::native {

namespace fs = std::filesystem;

// The system's error number (errno, GetLastError()); 0 for success.
using Code = int;

template <class Value> using Result = std::variant<Value, Code>;

// Owns an open file: a descriptor on Linux, a handle on Windows.
class File {
  public:
    File() = default;
    explicit File(std::intptr_t handle) : handle_(handle) {}
    ~File() { close(); }
    File(File&& other) noexcept : handle_(std::exchange(other.handle_, invalid)) {}
    File& operator=(File&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }

    explicit operator bool() const { return handle_ != invalid; }
    std::intptr_t handle() const { return handle_; }
    // A close can report a write the system had held back, so its result counts.
    Code close();

  private:
    static constexpr std::intptr_t invalid = -1;
    std::intptr_t handle_ = invalid;
};

// Which file this is, whatever name leads to it: the device (volume) and its number there.
struct Identity {
    std::uint64_t device = 0;
    std::uint64_t index = 0;

    bool operator==(const Identity&) const = default;
};

struct Facts {
    Identity identity;
    std::uint64_t links = 1;
    std::uint64_t length = 0;
};

// What a name leads to. Other: a device or a pipe, which has no length to take back.
enum class Kind { Missing, Regular, Folder, Other };
struct NameStatus {
    Kind kind = Kind::Missing;
    bool readOnly = false;
};

// The names of the program's own files beside a file, marked so that no other program's
// file can be taken for one: six random letters or digits in the middle, then the mark of a
// temporary file or of an undo record. Each record has a name of its own, so that one whose
// removal is still pending never stands in the next one's way.
inline constexpr std::size_t temporaryRandomLength = 6;
inline constexpr std::string_view temporaryMark = ".numir-tmp";
inline constexpr std::string_view recordMark = ".numir-undo";
inline fs::path ownName(const fs::path& target, const std::string& middle, std::string_view mark) {
    fs::path name = ".";
    name += target.filename();
    name += "." + middle + std::string(mark);
    return (target.has_parent_path() ? target.parent_path() : fs::path(".")) / name;
}
// The one record name that earlier versions used.
inline fs::path fixedRecordPath(const fs::path& target) {
    return ownName(target, "", "numir-undo");
}

// With a file-size limit, Linux ends a program whose write passes it; the write should fail.
void prepareForWriting();

// The file a symbolic link leads to (the name itself on Windows).
Result<fs::path> followLinks(const fs::path& path);
Result<NameStatus> statusOf(const fs::path& path);
// A new empty file, on the disk; a file already there is no error and is left alone.
Code createEmpty(const fs::path& path);

Result<File> openForReading(const fs::path& path);
// For reading and writing, shared with any other program. Another program's brief hold is
// waited out, here and wherever a file is opened.
Result<File> openForWriting(const fs::path& path);
// Waits for the program's lock on the file; it goes with the file's closing or the process.
Code lock(const File& file);
Result<Facts> factsOf(const File& file);
Result<Identity> identityOf(const fs::path& path);

// From the file's start, at most limit bytes, appended to content.
Code readAll(const File& file, std::string& content, std::size_t limit = std::string::npos);
Code writeAt(const File& file, std::string_view bytes, std::uint64_t offset);
Code setLength(const File& file, std::uint64_t length);
// Takes the room for length bytes first, the length unchanged, where the system can.
Code reserve(const File& file, std::uint64_t length);
// Until the bytes are on the disk.
Code flush(const File& file);
// A device in the file's place is written as it is.
Code writeThrough(const fs::path& path, std::string_view bytes);

// A new file beside target under a name only this program uses (ownName with mark), open so
// that no other program can remove it while it is in flight. like: the locked file whose
// owner, permissions and attributes it takes; where they cannot be given to it, the code
// says so, as for a folder that takes no new file.
struct Temporary {
    File file;
    fs::path name;
};
Result<Temporary> temporaryBeside(const fs::path& target, const File* like,
                                  std::string_view mark = temporaryMark);
// Moves the temporary file, flushed, over destination, replacing what is there; the
// temporary's name is gone when this succeeds, whatever its closing says afterwards.
Code moveOver(Temporary& temporary, const fs::path& destination);
// The same for the locked file's own name. Windows refuses to replace a file that is open,
// so there the lock is released first.
Code replaceLocked(Temporary& temporary, const fs::path& target, File& locked);
// A file of the program's opened for reading, writing and removal.
Result<File> openOwn(const fs::path& path);
// Takes the name away at once while the file stays open.
Code removeOpen(Temporary& temporary);
Code discard(Temporary& temporary);
// What a person set on one file given to another: its permissions and, where this user may
// set it, its owner; on Windows its attributes too.
Code takeSettingsOf(const File& old, const File& made);
// Removes a file of the program's that no run has open; a missing one is no error.
Code removeIfFree(const fs::path& path);
Code syncFolder(const fs::path& folder);

// The folders Windows virtualizes for older programs, and the user's local application data
// where it keeps their copies; none on Linux.
std::vector<fs::path> virtualizedFolders();
fs::path localAppData();

// Errors that mean the folder takes no new file, while the file in it may still be written.
bool takesNoNewFile(Code code);
bool noRoomLeft(Code code);
bool isMissing(Code code);
// The file's move was refused because another program holds it open.
bool heldElsewhere(Code code);
// Another copy kept putting a new file in place.
Code busy();

} // namespace numir::native
