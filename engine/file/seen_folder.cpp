#include "seen_folder.h"

#include "durable_write.h"
#include "native_file.h"

#include <algorithm>
#include <cwctype>

namespace numir {
namespace {

namespace fs = std::filesystem;

std::wstring lettersAsWindowsCompares(const fs::path& part) {
    std::wstring text = part.wstring();
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return text == L"\\" ? L"/" : text;
}

bool isUnder(const fs::path& folder, const fs::path& root) {
    auto at = folder.begin();
    for (const fs::path& part : root) {
        if (part.empty()) // the end of a root given with a separator at its end
            continue;
        if (at == folder.end() || lettersAsWindowsCompares(*at) != lettersAsWindowsCompares(part))
            return false;
        ++at;
    }
    return !root.empty();
}

} // namespace

fs::path SeenFolder::seen(const std::string& name) const {
    std::error_code error;
    if (store && fs::exists(*store / name, error))
        return *store / name;
    return own / name;
}

std::optional<fs::path> SeenFolder::storeInstead(const std::string& name,
                                                 const FileError& refusal) const {
    if (!store || refusal.problem != FileProblem::NoPermission || seen(name) != own / name)
        return std::nullopt;
    std::error_code error;
    fs::create_directories(*store, error);
    const fs::path copy = *store / name;
    if (createIfMissing(copy))
        return std::nullopt;
    if (!fs::exists(own / name, error))
        return copy;
    auto bytes = readBeginning(own / name, std::string::npos);
    auto* content = std::get_if<std::string>(&bytes);
    if (!content || replaceDurably(copy, *content))
        return std::nullopt;
    return copy;
}

SeenFolder seenFolderOf(const fs::path& folder, const std::vector<fs::path>& virtualized,
                        const fs::path& localAppData) {
    for (const fs::path& root : virtualized)
        if (!localAppData.empty() && isUnder(folder, root))
            return {folder, localAppData / "VirtualStore" / folder.relative_path()};
    return {folder, std::nullopt};
}

SeenFolder currentSeenFolder() {
    std::error_code error;
    const fs::path folder = fs::current_path(error);
    if (error)
        return {".", std::nullopt};
    return seenFolderOf(folder, native::virtualizedFolders(), native::localAppData());
}

} // namespace numir
