// Owns numir.txt, the one output of the program: twelve digits and CR LF per line, read by
// people and by the sheet-printing program. Every file operation is checked and a failure
// comes back as a FileError; what to tell the user is left to the window.
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

// Creates the file when it is missing and leaves an existing one untouched.
std::optional<FileError> ensureFileExists(const std::filesystem::path& path);

// The status line after a successful run, for the number of combinations drawn.
std::string runReport(std::int32_t attempts);

class PredictionFile {
  public:
    explicit PredictionFile(std::filesystem::path path = predictionFileName);

    // Creates the file when missing and leaves an existing one untouched.
    std::optional<FileError> ensureExists() const;
    // Appends, or creates and empties the file, for one run.
    std::optional<FileError> openForRun(bool append);
    std::optional<FileError> writeLine(std::string_view line);
    // Closes the file; only a clean close yields the report.
    std::variant<std::string, FileError> finish(std::int32_t attempts);
    // Closes the file after a failed run, without a report.
    void abandon();

    const std::filesystem::path& path() const { return path_; }

  private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::filesystem::path path_;
    std::unique_ptr<std::FILE, Closer> file_;
};

} // namespace numir
