#include "companion_notice.h"

#include "prediction_file.h"

#include <cstdio>
#include <memory>
#include <string>

namespace numir {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

} // namespace

bool companionNoticeDue(const std::filesystem::path& settingsFile) {
    if (ensureFileExists(settingsFile))
        return true;
    File file(openFile(settingsFile, "rb"));
    if (!file)
        return true;
    // One character past the marker is enough to tell a longer line from it.
    std::string firstLine;
    for (int c = std::fgetc(file.get()); c != EOF && c != '\r' && c != '\n';
         c = std::fgetc(file.get())) {
        firstLine.push_back(static_cast<char>(c));
        if (firstLine.size() > companionMarkerLine.size())
            break;
    }
    return std::ferror(file.get()) != 0 || firstLine != companionMarkerLine;
}

} // namespace numir
