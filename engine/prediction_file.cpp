#include "prediction_file.h"

#include <cerrno>
#include <cstring>

namespace numir {

std::string runReport(std::int32_t attempts) {
    return " 予想を書込みました。 " + std::to_string(attempts) + "個の組合せから選出";
}

namespace {

FileError errorFromErrno(const std::filesystem::path& path) {
    int code = errno != 0 ? errno : EIO;
    return FileError{path.string(), std::strerror(code)};
}

FileError notOpenError(const std::filesystem::path& path) {
    return FileError{path.string(), std::strerror(EBADF)};
}

} // namespace

std::optional<FileError> ensureFileExists(const std::filesystem::path& path) {
    errno = 0;
    // Append mode creates a missing file without truncating an existing one.
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (file == nullptr)
        return errorFromErrno(path);
    if (std::fclose(file) != 0)
        return errorFromErrno(path);
    return std::nullopt;
}

PredictionFile::PredictionFile(std::filesystem::path path) : path_(std::move(path)) {}

std::optional<FileError> PredictionFile::ensureExists() const {
    return ensureFileExists(path_);
}

std::optional<FileError> PredictionFile::openForRun(bool append) {
    abandon();
    errno = 0;
    // Binary mode keeps CR LF as it is on every platform.
    file_.reset(std::fopen(path_.c_str(), append ? "ab" : "wb"));
    if (!file_)
        return errorFromErrno(path_);
    return std::nullopt;
}

std::optional<FileError> PredictionFile::writeLine(std::string_view line) {
    if (!file_)
        return notOpenError(path_);
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), file_.get()) != line.size() ||
        std::fwrite("\r\n", 1, 2, file_.get()) != 2)
        return errorFromErrno(path_);
    return std::nullopt;
}

std::variant<std::string, FileError> PredictionFile::finish(std::int32_t attempts) {
    if (!file_)
        return notOpenError(path_);
    errno = 0;
    // A full disk often shows only when the buffer is flushed at close.
    int closed = std::fclose(file_.release());
    if (closed != 0)
        return errorFromErrno(path_);
    return runReport(attempts);
}

void PredictionFile::abandon() {
    file_.reset();
}

} // namespace numir
