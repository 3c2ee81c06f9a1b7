#include "prediction_file.h"

#include "durable_write.h"

namespace numir {

PredictionFile::PredictionFile(SeenFolder folder)
    : folder_(std::move(folder)), name_(predictionFileName) {}

PredictionFile::PredictionFile(const std::filesystem::path& path)
    : folder_{path.has_parent_path() ? path.parent_path() : ".", std::nullopt},
      name_(path.filename().string()) {}

std::optional<FileError> PredictionFile::ensureExists() const {
    // A folder that refuses a new file gets one in its store instead.
    if (auto error = createIfMissing(path()); error && !folder_.storeInstead(name_, *error))
        return error;
    return recoverInterruptedWrite(path());
}

std::optional<FileError> PredictionFile::write(const std::vector<std::string>& lines,
                                               bool append) const {
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    const auto put = [&](const std::filesystem::path& path) {
        return append ? appendDurably(path, bytes) : replaceDurably(path, bytes);
    };
    auto error = put(path());
    if (auto instead = error ? folder_.storeInstead(name_, *error) : std::nullopt)
        return put(*instead);
    return error;
}

} // namespace numir
