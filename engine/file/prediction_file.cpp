#include "prediction_file.h"

#include "durable_write.h"

namespace numir {

PredictionFile::PredictionFile(std::filesystem::path path) : path_(std::move(path)) {}

std::optional<FileError> PredictionFile::ensureExists() const {
    if (auto error = createIfMissing(path_))
        return error;
    return recoverInterruptedWrite(path_);
}

std::optional<FileError> PredictionFile::write(const std::vector<std::string>& lines,
                                               bool append) const {
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    return append ? appendDurably(path_, bytes) : replaceDurably(path_, bytes);
}

} // namespace numir
