// Owns numir.txt, the one output of the program: twelve digits and CR LF per line, read by
// people and by the sheet-printing program. A run keeps its lines until it has finished and
// then puts them on the disk in one step, so a run that is refused, stops or fails leaves
// numir.txt as it was. How the bytes reach the disk safely is durable_write.h's; what to
// tell the user about a FileError is the window's.
#pragma once

#include "file_error.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace numir {

inline constexpr const char* predictionFileName = "numir.txt";

// The status line after a successful run, for the number of combinations drawn.
std::string runReport(std::int32_t attempts);

class PredictionFile {
  public:
    explicit PredictionFile(std::filesystem::path path = predictionFileName);

    // Creates the file when missing and leaves an existing one, read-only or not, untouched.
    std::optional<FileError> ensureExists() const;
    // Starts collecting one run's lines; nothing is written yet.
    void openForRun(bool append);
    void writeLine(std::string_view line);
    // Appends the run's lines, or puts them in place of the old ones; only once they are on
    // the disk is there a report.
    std::variant<std::string, FileError> finish(std::int32_t attempts);
    // Forgets the lines of a run that did not finish.
    void abandon();

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
    std::string lines_;
    bool append_ = false;
};

} // namespace numir
