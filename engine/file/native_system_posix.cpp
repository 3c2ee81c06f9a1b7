// Linux: what errno values mean for the user and for the write. The file calls themselves are
// native_file_posix.cpp's.
#include "native_file.h"

#include <cerrno>

namespace numir {

FileProblem problemFromSystemCode(int code) {
    switch (code) {
    case EACCES:
    case EPERM:
        return FileProblem::NoPermission;
    case EROFS:
        return FileProblem::ReadOnly;
    case ENOSPC:
    case EDQUOT:
        return FileProblem::DiskFull;
    case ETXTBSY:
    case EBUSY:
    case EWOULDBLOCK:
        return FileProblem::InUse;
    case ENOENT:
    case ENOTDIR:
        return FileProblem::FolderMissing;
    case EISDIR:
        return FileProblem::FolderInTheWay;
    case ENOMEDIUM:
    case ESTALE:
    case ENOTCONN:
    case EHOSTDOWN:
    case EHOSTUNREACH:
        return FileProblem::NotReachable;
    default:
        return FileProblem::Other;
    }
}
namespace native {

std::vector<fs::path> virtualizedFolders() {
    return {};
}

fs::path localAppData() {
    return {};
}

bool takesNoNewFile(Code code) {
    return code == EACCES || code == EPERM || code == EROFS;
}

bool noRoomLeft(Code code) {
    return code == ENOSPC || code == EDQUOT;
}

bool isMissing(Code code) {
    return code == ENOENT;
}

bool heldElsewhere(Code) {
    return false; // Linux replaces a file however many programs hold it open
}

Code busy() {
    return EBUSY;
}
} // namespace native
} // namespace numir
