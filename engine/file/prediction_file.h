// Owns numir.txt, the one output of the program: twelve digits and CR LF per line, read by
// people and by the sheet-printing program. A run's lines reach it in one step once the run
// has found them all, so a run that is refused, stops or fails leaves numir.txt as it was.
// How the bytes reach the disk safely is durable_write.h's; what to tell the user about a
// FileError is the window's.
#pragma once

#include "file_error.h"
#include "seen_folder.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace numir {

inline constexpr const char* predictionFileName = "numir.txt";

class PredictionFile {
  public:
    // numir.txt where the printing program sees it in the folder.
    explicit PredictionFile(SeenFolder folder);
    // A file by its path, in a folder without a store.
    explicit PredictionFile(const std::filesystem::path& path);

    // Creates the file when missing and leaves an existing one, read-only or not, untouched,
    // once what a killed run left is cleared away.
    std::optional<FileError> ensureExists() const;
    // Appends the lines, or puts them in place of the old ones; nothing is said until they
    // are on the disk.
    std::optional<FileError> write(const std::vector<std::string>& lines, bool append) const;

    // The file that is written, and read by the printing program.
    std::filesystem::path path() const { return folder_.seen(name_); }

  private:
    SeenFolder folder_;
    std::string name_;
};

} // namespace numir
