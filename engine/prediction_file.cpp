#include "prediction_file.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <system_error>

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

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

std::FILE* openFile(const std::filesystem::path& path, const char* mode) {
#ifdef _WIN32
    // Wide names, so a folder with Japanese characters works whatever the code page.
    std::wstring wideMode(mode, mode + std::strlen(mode));
    return _wfopen(path.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

std::optional<FileError> ensureFileExists(const std::filesystem::path& path) {
    errno = 0;
    // Append mode creates a missing file without truncating an existing one.
    std::FILE* file = openFile(path, "ab");
    if (file == nullptr)
        return errorFromErrno(path);
    if (std::fclose(file) != 0)
        return errorFromErrno(path);
    return std::nullopt;
}

PredictionFile::PredictionFile(std::filesystem::path path) : path_(std::move(path)) {}

PredictionFile::~PredictionFile() {
    abandon();
}

std::optional<FileError> PredictionFile::ensureExists() const {
    return ensureFileExists(path_);
}

std::filesystem::path PredictionFile::runPath() const {
    std::filesystem::path run = path_;
    run += ".new";
    return run;
}

std::optional<FileError> PredictionFile::openForRun(bool append) {
    abandon();
    errno = 0;
    // Binary mode keeps CR LF as it is on every platform.
    file_.reset(openFile(runPath(), "wb"));
    if (!file_)
        return errorFromErrno(path_);
    runFileMade_ = true;
    if (append) {
        if (auto error = copyOldLines()) {
            abandon();
            return error;
        }
    }
    return std::nullopt;
}

std::optional<FileError> PredictionFile::copyOldLines() {
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> old(openFile(path_, "rb"));
    if (!old)
        return errno == ENOENT ? std::nullopt : std::optional(errorFromErrno(path_));
    std::array<char, 1 << 16> buffer{};
    for (;;) {
        std::size_t got = std::fread(buffer.data(), 1, buffer.size(), old.get());
        if (got > 0 && std::fwrite(buffer.data(), 1, got, file_.get()) != got)
            return errorFromErrno(path_);
        if (got < buffer.size())
            break;
    }
    if (std::ferror(old.get()) != 0)
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
    if (closed != 0) {
        FileError error = errorFromErrno(path_);
        abandon();
        return error;
    }
    std::error_code renameError;
    std::filesystem::rename(runPath(), path_, renameError);
    if (renameError) {
        abandon();
        return FileError{path_.string(), renameError.message()};
    }
    runFileMade_ = false;
    return runReport(attempts);
}

void PredictionFile::abandon() {
    file_.reset();
    if (!runFileMade_)
        return;
    std::error_code ignored;
    std::filesystem::remove(runPath(), ignored);
    runFileMade_ = false;
}

} // namespace numir
