#include "companion_notice.h"

#include "file/durable_write.h"

#include <string>

namespace numir {

bool companionNoticeDue(const SeenFolder& folder) {
    // A failure shows in the reading.
    if (auto error = createIfMissing(folder.seen(companionSettingsFileName)))
        folder.storeInstead(companionSettingsFileName, *error);
    // One character past the marker is enough to tell a longer line from it.
    auto beginning =
        readBeginning(folder.seen(companionSettingsFileName), companionMarkerLine.size() + 1);
    const std::string* text = std::get_if<std::string>(&beginning);
    return !text || text->substr(0, text->find_first_of("\r\n")) != companionMarkerLine;
}

} // namespace numir
