// Compiled into the test writer's copy of the Windows file calls only: each Win32 call the
// write makes goes through here, where the fault sweep fails its n-th occurrence (once or from
// then on) with an error code of its choosing, or ends the process there. It can also refuse
// every new file (a folder that takes none), refuse names whose removal is pending, hold an
// append back while another program saves over numir.txt, and list the calls made.
#pragma once

#include <aclapi.h>
#include <cwchar>
#include <string>
#include <windows.h>

namespace numir::seam {

struct Plan {
    std::string call; // the call to fail; none when empty
    int at = 0;       // its occurrence, counted from 1
    DWORD code = 0;   // the error it gives; 0 ends the process there
    bool lasting = false, refuseNewFiles = false, pauseAfterAppend = false;
    const wchar_t* pending = nullptr; // names holding this cannot be opened
    std::string* trace = nullptr;     // every call's name, when set
    int seen = 0, flushes = 0;
};

Plan& plan(); // the writer's one plan

inline bool fails(const char* call) {
    Plan& p = plan();
    if (p.trace)
        *p.trace += std::string(call) + " ";
    if (p.call != call || ++p.seen < p.at || (!p.lasting && p.seen > p.at))
        return false;
    if (p.code == 0)
        TerminateProcess(GetCurrentProcess(), 137);
    SetLastError(p.code);
    return true;
}

inline HANDLE createFile(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                         DWORD disposition, DWORD flags, HANDLE model) {
    if (fails("CreateFileW"))
        return INVALID_HANDLE_VALUE;
    if ((plan().refuseNewFiles && disposition == CREATE_NEW) ||
        (plan().pending && std::wcsstr(name, plan().pending))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return ::CreateFileW(name, access, share, security, disposition, flags, model);
}

// A close that fails has closed the handle all the same, as on Windows.
inline BOOL closeHandle(HANDLE handle) {
    const bool failed = fails("CloseHandle");
    return ::CloseHandle(handle) && !failed;
}

// The second flush is the one after an append; held back there for a second and a half.
inline BOOL flushFile(HANDLE file) {
    if (fails("FlushFileBuffers"))
        return FALSE;
    if (plan().pauseAfterAppend && ++plan().flushes == 2)
        Sleep(1500);
    return ::FlushFileBuffers(file);
}

#define NUMIR_SEAM(name, result, failed, parameters, arguments)                                    \
    inline result name##Seam parameters {                                                          \
        return fails(#name) ? failed : ::name arguments;                                           \
    }
NUMIR_SEAM(GetFileAttributesW, DWORD, INVALID_FILE_ATTRIBUTES, (LPCWSTR n), (n))
NUMIR_SEAM(LockFileEx, BOOL, FALSE, (HANDLE h, DWORD f, DWORD r, DWORD l, DWORD hi, LPOVERLAPPED o),
           (h, f, r, l, hi, o))
NUMIR_SEAM(GetFileInformationByHandle, BOOL, FALSE, (HANDLE h, LPBY_HANDLE_FILE_INFORMATION i),
           (h, i))
NUMIR_SEAM(ReadFile, BOOL, FALSE, (HANDLE h, LPVOID b, DWORD n, LPDWORD got, LPOVERLAPPED o),
           (h, b, n, got, o))
NUMIR_SEAM(WriteFile, BOOL, FALSE, (HANDLE h, LPCVOID b, DWORD n, LPDWORD put, LPOVERLAPPED o),
           (h, b, n, put, o))
NUMIR_SEAM(SetFileInformationByHandle, BOOL, FALSE,
           (HANDLE h, FILE_INFO_BY_HANDLE_CLASS c, LPVOID i, DWORD n), (h, c, i, n))
NUMIR_SEAM(GetFinalPathNameByHandleW, DWORD, 0, (HANDLE h, LPWSTR b, DWORD n, DWORD f),
           (h, b, n, f))
// These two give their error as their result.
NUMIR_SEAM(GetSecurityInfo, DWORD, plan().code,
           (HANDLE h, SE_OBJECT_TYPE t, SECURITY_INFORMATION i, PSID* o, PSID* g, PACL* d, PACL* s,
            PSECURITY_DESCRIPTOR* all),
           (h, t, i, o, g, d, s, all))
NUMIR_SEAM(SetSecurityInfo, DWORD, plan().code,
           (HANDLE h, SE_OBJECT_TYPE t, SECURITY_INFORMATION i, PSID o, PSID g, PACL d, PACL s),
           (h, t, i, o, g, d, s))
#undef NUMIR_SEAM

} // namespace numir::seam

#define CreateFileW numir::seam::createFile
#define CloseHandle numir::seam::closeHandle
#define FlushFileBuffers numir::seam::flushFile
#define GetFileAttributesW numir::seam::GetFileAttributesWSeam
#define LockFileEx numir::seam::LockFileExSeam
#define GetFileInformationByHandle numir::seam::GetFileInformationByHandleSeam
#define ReadFile numir::seam::ReadFileSeam
#define WriteFile numir::seam::WriteFileSeam
#define SetFileInformationByHandle numir::seam::SetFileInformationByHandleSeam
#define GetFinalPathNameByHandleW numir::seam::GetFinalPathNameByHandleWSeam
#define GetSecurityInfo numir::seam::GetSecurityInfoSeam
#define SetSecurityInfo numir::seam::SetSecurityInfoSeam
