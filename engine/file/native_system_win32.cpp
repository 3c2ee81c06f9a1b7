// Windows: what the system's error codes mean for the user and for the write, where the system
// keeps the folders it virtualizes for older programs, and what a person set on a file. The
// file calls themselves are native_file_win32.cpp's.
#include "native_file.h"

#include <aclapi.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <windows.h>
#ifdef NUMIR_WIN32_FAULT_SEAM // the test writer's: any of the calls below can be made to fail
#include "win32_fault_seam.h"
#endif

namespace numir {
namespace {

// Codes that not every set of headers names.
constexpr int quotaExceeded = 1295; // ERROR_DISK_QUOTA_EXCEEDED
constexpr int firstCloudFileError = 358, lastCloudFileError = 404;

} // namespace

FileProblem problemFromSystemCode(int code) {
    switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
        return FileProblem::NoPermission;
    case ERROR_WRITE_PROTECT:
        return FileProblem::ReadOnly;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case quotaExceeded:
        return FileProblem::DiskFull;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
    case ERROR_BUSY:
        return FileProblem::InUse;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
        return FileProblem::FolderMissing;
    case ERROR_DIRECTORY:
        return FileProblem::FolderInTheWay;
    case ERROR_NOT_READY:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_NETNAME_DELETED:
    case ERROR_NETWORK_UNREACHABLE:
        return FileProblem::NotReachable;
    default: // the cloud-file errors of a synced folder whose provider is away, among others
        return code >= firstCloudFileError && code <= lastCloudFileError ? FileProblem::NotReachable
                                                                         : FileProblem::Other;
    }
}
namespace native {

namespace {

fs::path knownFolder(REFKNOWNFOLDERID which) {
    PWSTR name = nullptr;
    fs::path found = SUCCEEDED(SHGetKnownFolderPath(which, 0, nullptr, &name)) ? name : L"";
    CoTaskMemFree(name);
    return found;
}

} // namespace

// Program Files as a 32-bit program sees it is Program Files (x86); the 64-bit one it cannot
// ask for, so it comes from the variable Windows sets for it.
std::vector<fs::path> virtualizedFolders() {
    std::vector<fs::path> folders;
    for (REFKNOWNFOLDERID which :
         {FOLDERID_ProgramFiles, FOLDERID_ProgramFilesX86, FOLDERID_ProgramFilesX64,
          FOLDERID_Windows, FOLDERID_ProgramData})
        if (fs::path folder = knownFolder(which); !folder.empty())
            folders.push_back(folder);
    if (const wchar_t* programFiles64 = _wgetenv(L"ProgramW6432"))
        folders.emplace_back(programFiles64);
    return folders;
}

fs::path localAppData() {
    return knownFolder(FOLDERID_LocalAppData);
}

bool takesNoNewFile(Code code) {
    return code == ERROR_ACCESS_DENIED || code == ERROR_WRITE_PROTECT;
}

bool noRoomLeft(Code code) {
    return problemFromSystemCode(code) == FileProblem::DiskFull;
}

bool isMissing(Code code) {
    return code == ERROR_FILE_NOT_FOUND;
}

bool heldElsewhere(Code code) {
    return code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION;
}

Code busy() {
    return ERROR_BUSY;
}

// What a person set on the old file, given to the new one: its attributes and its
// permissions, with the owner where this user may set it.
Code takeSettingsOf(const File& oldFile, const File& madeFile) {
    const auto old = reinterpret_cast<HANDLE>(oldFile.handle()),
               made = reinterpret_cast<HANDLE>(madeFile.handle());
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(old, &info))
        return static_cast<Code>(GetLastError());
    FILE_BASIC_INFO basic{};
    basic.FileAttributes =
        info.dwFileAttributes & ~DWORD{FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                                       FILE_ATTRIBUTE_SPARSE_FILE | FILE_ATTRIBUTE_COMPRESSED |
                                       FILE_ATTRIBUTE_ENCRYPTED | FILE_ATTRIBUTE_NORMAL};
    if (basic.FileAttributes != 0 &&
        !SetFileInformationByHandle(made, FileBasicInfo, &basic, sizeof basic))
        return static_cast<Code>(GetLastError());
    PSID owner = nullptr;
    PACL permissions = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD code =
        GetSecurityInfo(old, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                        &owner, nullptr, &permissions, nullptr, &descriptor);
    if (code != ERROR_SUCCESS)
        return static_cast<Code>(code);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    const SECURITY_INFORMATION which =
        DACL_SECURITY_INFORMATION |
        (control & SE_DACL_PROTECTED ? PROTECTED_DACL_SECURITY_INFORMATION
                                     : UNPROTECTED_DACL_SECURITY_INFORMATION);
    code = SetSecurityInfo(made, SE_FILE_OBJECT, which | OWNER_SECURITY_INFORMATION, owner, nullptr,
                           permissions, nullptr);
    if (code != ERROR_SUCCESS)
        code = SetSecurityInfo(made, SE_FILE_OBJECT, which, nullptr, nullptr, permissions, nullptr);
    LocalFree(descriptor);
    return static_cast<Code>(code);
}

} // namespace native
} // namespace numir
