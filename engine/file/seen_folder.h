// The folder the program runs in, as the sheet-printing program sees it. That program is an
// older one: run without administrator rights from under Program Files, the Windows folder or
// ProgramData, Windows lets it read and write each file there through a copy of its own in a
// per-user store (%LOCALAPPDATA%\VirtualStore\ and the folder's path), its "changes" going to
// that copy and its reading preferring it. So numir.txt and velnor.ini are read and written
// where it sees them. Elsewhere, and on Linux, a folder has only its own files. Which files
// there are is left to the callers; this says which paths they are at.
#pragma once

#include "file_error.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace numir {

struct SeenFolder {
    std::filesystem::path own;
    std::optional<std::filesystem::path> store; // where Windows keeps the copies

    // The file as the printing program reads it: the store's copy when there is one.
    std::filesystem::path seen(const std::string& name) const;
    // Where a write that the folder refused goes instead: the store's copy, made from the
    // folder's own file as Windows makes it; nothing where the folder has no store, the
    // refusal is of another kind, or the copy cannot be made.
    std::optional<std::filesystem::path> storeInstead(const std::string& name,
                                                      const FileError& refusal) const;
};

// The rule: a folder under one of the virtualized folders (compared as Windows does, letter
// case aside) has its store under the user's local application data; any other has none.
SeenFolder seenFolderOf(const std::filesystem::path& folder,
                        const std::vector<std::filesystem::path>& virtualized,
                        const std::filesystem::path& localAppData);

// The current folder, with this system's virtualized folders.
SeenFolder currentSeenFolder();

} // namespace numir
