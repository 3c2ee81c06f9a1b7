// Puts a finished run's bytes on the disk in one step: appended to the file, or in place of
// it. Either the whole of the bytes reaches the disk and the call succeeds, or the file
// keeps its old bytes and the call says why. Copies of the program wait for one another
// through a lock that the system drops when a process dies. Only the program's own bytes are
// ever put back, and only files marked as the program's are ever removed. What the bytes are
// is left to PredictionFile.
#pragma once

#include "file_error.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace numir {

// Appends to the file the name leads to, creating a missing file; a failed write cuts the
// file back to its old length. A read-only file is refused.
std::optional<FileError> appendDurably(const std::filesystem::path& path, std::string_view bytes);

// Writes a new file beside the real one (a symbolic link is followed), with the old one's
// permissions, and moves it over the old one. Where a move would change what the file is (a
// second hard link, a folder that takes no new file) or another program holds the file, the
// file is written in place, its room taken first so a full disk leaves it as it was. A
// read-only file is refused.
std::optional<FileError> replaceDurably(const std::filesystem::path& path, std::string_view bytes);

// Reads at most limit bytes from the file's start.
std::variant<std::string, FileError> readBeginning(const std::filesystem::path& path,
                                                   std::size_t limit);

// Creates an empty file when none is there; an existing file, read-only or not, is left
// alone.
std::optional<FileError> createIfMissing(const std::filesystem::path& path);

// Clears away what a run killed while writing left: the file put back where it is in a state
// only that run's unfinished write can leave, and the program's own temporary files that no
// run holds removed. Every write does this first; start-up does it so that the file is whole
// when shown.
std::optional<FileError> recoverInterruptedWrite(const std::filesystem::path& path);

} // namespace numir
