// The steps of a run's write that come before the writing: the file the name leads to, open
// and locked once the name is known still to lead to it, and what a killed run left put back
// or cleared away under that lock. Which bytes are written, and how, is durable_write.cpp's.
#pragma once

#include "file_error.h"
#include "native_file.h"
#include "undo_record.h"

#include <filesystem>
#include <optional>
#include <variant>

namespace numir {

std::filesystem::path folderOf(const std::filesystem::path& path);
FileError failure(const std::filesystem::path& shown, FilePlace place, native::Code code);
FileError plainFailure(const std::filesystem::path& shown, FileProblem problem);

// The name the user knows, and the file its links lead to.
struct Target {
    std::filesystem::path shown;
    std::filesystem::path real;

    FileError failed(FilePlace place, native::Code code) const {
        return failure(shown, place, code);
    }
};

struct Locked {
    native::File file;
    native::Facts facts;
};
struct Device {}; // written through, without a lock
struct GoRound {  // another turn, after another copy's change, or to write in place
    bool inPlace = false;
};
using Opened = std::variant<Locked, Device, GoRound, FileError>;

// A missing file is made empty first, and then opened as any other.
Opened openLocked(const Target& target);

// Puts the file back when it is in a state the recorded write can leave: unfinished, or also
// finished for the write that has just failed.
native::Code undoOwnWrite(const native::File& file, const UndoRecord& record, bool evenFinished);

// Removes an undo record the program holds open; where its name cannot be taken away, the
// record is voided through the open file, so that no later run reads it again.
void dropRecord(native::Temporary& record);

// The file put back as far as an unfinished write of the program's changed it, the records
// dropped, the program's temporary files that no run holds removed. Anything else beside the
// file, and any other change to it, stays as it is. A record that cannot be opened (its
// removal still pending, say) is passed over.
std::optional<FileError> recoverLocked(const Target& target, const Locked& locked);

} // namespace numir
