// What went wrong with a file, sorted into the few kinds a user can act on, with the
// system's own error number kept for everything else. Which words the user sees is the
// window's business; sorting a system's error codes is the file code's.
#pragma once

#include <string>

namespace numir {

enum class FileProblem {
    NoPermission,   // the user may not write there
    ReadOnly,       // the file, or the drive it is on, is read-only
    DiskFull,       // no room left on the drive
    InUse,          // another program holds the file
    FolderMissing,  // the folder the file should be in is not there
    FolderInTheWay, // a folder carries the file's name
    NotReachable,   // the drive or network folder cannot be reached just now
    Other,
};

// Whether the fault lay with the file itself or with the folder that holds it.
enum class FilePlace { File, Folder };

struct FileError {
    std::string fileName; // as the user knows it, such as numir.txt
    FileProblem problem = FileProblem::Other;
    FilePlace place = FilePlace::File;
    int systemCode = 0; // errno on Linux, GetLastError() on Windows

    bool operator==(const FileError&) const = default;
};

// Sorts errno values (on Windows the Win32 error codes) into the kinds above.
FileProblem problemFromSystemCode(int code);

} // namespace numir
