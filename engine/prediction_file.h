// Owns numir.txt, the one output of the program: twelve digits and CR LF per line, read by
// people and by the sheet-printing program. A run writes into a new file beside it, after a
// copy of the old lines when it appends, and only a finished run puts that file in place of
// numir.txt, so a run that fails or stops leaves numir.txt as it was. Every file operation
// is checked and a failure comes back as a FileError; what to tell the user is the window's.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace numir {

inline constexpr const char* predictionFileName = "numir.txt";

struct FileError {
    std::string fileName;
    std::string reason; // the system's own words
};

// std::fopen with a path, by its wide name on Windows.
std::FILE* openFile(const std::filesystem::path& path, const char* mode);

// Creates the file when it is missing and leaves an existing one untouched.
std::optional<FileError> ensureFileExists(const std::filesystem::path& path);

// The status line after a successful run, for the number of combinations drawn.
std::string runReport(std::int32_t attempts);

class PredictionFile {
  public:
    explicit PredictionFile(std::filesystem::path path = predictionFileName);
    ~PredictionFile();
    PredictionFile(const PredictionFile&) = delete;
    PredictionFile& operator=(const PredictionFile&) = delete;

    // Creates the file when missing and leaves an existing one untouched.
    std::optional<FileError> ensureExists() const;
    // Starts one run's file: empty, or holding the old lines when appending.
    std::optional<FileError> openForRun(bool append);
    std::optional<FileError> writeLine(std::string_view line);
    // Puts the run's file in place of the old one; only then is there a report.
    std::variant<std::string, FileError> finish(std::int32_t attempts);
    // Drops the run's file after a failed run; the old one stays as it was.
    void abandon();

    const std::filesystem::path& path() const { return path_; }
    // Where a run writes until it finishes.
    std::filesystem::path runPath() const;

  private:
    std::optional<FileError> copyOldLines();

    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::filesystem::path path_;
    std::unique_ptr<std::FILE, Closer> file_;
    bool runFileMade_ = false; // the run's file exists and is this object's to remove
};

} // namespace numir
