#include "prediction_file.h"

#include "durable_write.h"

namespace numir {

std::string runReport(std::int32_t attempts) {
    return " 予想を書込みました。 " + std::to_string(attempts) + "個の組合せから選出";
}

PredictionFile::PredictionFile(std::filesystem::path path) : path_(std::move(path)) {}

std::optional<FileError> PredictionFile::ensureExists() const {
    if (auto error = createIfMissing(path_))
        return error;
    return recoverInterruptedWrite(path_);
}

void PredictionFile::openForRun(bool append) {
    append_ = append;
    lines_.clear();
}

void PredictionFile::writeLine(std::string_view line) {
    lines_.append(line);
    lines_.append("\r\n");
}

std::variant<std::string, FileError> PredictionFile::finish(std::int32_t attempts) {
    auto error = append_ ? appendDurably(path_, lines_) : replaceDurably(path_, lines_);
    lines_.clear();
    if (error)
        return *error;
    return runReport(attempts);
}

void PredictionFile::abandon() {
    lines_.clear();
}

} // namespace numir
