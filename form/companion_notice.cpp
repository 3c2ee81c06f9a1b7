#include "companion_notice.h"

#include "durable_write.h"

#include <string>

namespace numir {

CompanionCheck checkCompanion(const std::filesystem::path& settingsFile) {
    if (auto error = createIfMissing(settingsFile))
        return {true, error};
    // One character past the marker is enough to tell a longer line from it.
    auto beginning = readBeginning(settingsFile, companionMarkerLine.size() + 1);
    if (auto* error = std::get_if<FileError>(&beginning))
        return {true, *error};
    const std::string& text = std::get<std::string>(beginning);
    const std::string firstLine = text.substr(0, text.find_first_of("\r\n"));
    return {firstLine != companionMarkerLine, std::nullopt};
}

} // namespace numir
