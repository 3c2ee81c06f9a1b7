// Puts a finished run's bytes on the disk in one step: appended to the file, or in place of
// it. Either the whole of the bytes reaches the disk and the call succeeds, or the file
// keeps its old bytes and the call says why. Writers in other processes wait for one
// another through a lock that the system drops when a process dies. What the bytes are
// is left to PredictionFile; Linux and Windows each have their own implementation.
#pragma once

#include "file_error.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace numir {

// Appends through a handle opened for appending, creating a missing file; a failed write
// cuts the file back to its old length. A read-only file is refused.
std::optional<FileError> appendDurably(const std::filesystem::path& path, std::string_view bytes);

// Writes a new file with a unique name beside the real one (a symbolic link is followed),
// with the old one's permissions, and renames it over the old one. Where a rename would
// change what the file is (a second hard link, a folder that takes no new file) the file is
// written in place, with its room taken first so a full disk leaves it as it was. A
// read-only file is refused.
std::optional<FileError> replaceDurably(const std::filesystem::path& path, std::string_view bytes);

// Reads at most limit bytes from the file's start.
std::variant<std::string, FileError> readBeginning(const std::filesystem::path& path,
                                                   std::size_t limit);

// Creates an empty file when none is there; an existing file, read-only or not, is left
// alone.
std::optional<FileError> createIfMissing(const std::filesystem::path& path);

// Finishes what a run that was killed while writing left: puts back the old bytes of a
// write in place that did not finish, and removes the program's temporary files beside the
// file. Every write does this first; start-up does it so that the file is whole when shown.
std::optional<FileError> recoverInterruptedWrite(const std::filesystem::path& path);

} // namespace numir
