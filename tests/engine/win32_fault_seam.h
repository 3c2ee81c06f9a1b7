// In the test writer's Windows file calls only: fails a call's n-th occurrence (once or from
// then on) or ends the process there, refuses new files or names whose removal is pending,
// holds an append back at its flush, and lists the calls.
#pragma once

#include <aclapi.h>
#include <cwchar>
#include <string>
#include <windows.h>

namespace numir::seam {

struct Plan {
    std::string call; // to fail at its occurrence `at` (from 1) with code, 0 ending the process
    int at = 0, seen = 0, flushes = 0;
    DWORD code = 0;
    bool lasting = false, refuseNewFiles = false, pauseAfterAppend = false;
    const wchar_t* pending = nullptr; // in the names that cannot be opened
    std::string* trace = nullptr;
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

inline BOOL closeHandle(HANDLE handle) {
    const bool failed = fails("CloseHandle");
    return ::CloseHandle(handle) && !failed;
}

inline BOOL flushFile(HANDLE file) {
    if (fails("FlushFileBuffers"))
        return FALSE;
    if (plan().pauseAfterAppend && ++plan().flushes == 2)
        Sleep(1500);
    return ::FlushFileBuffers(file);
}

// Any other call, or the value that says it failed.
template <class Result, class Call, class... Arguments>
Result seamed(const char* name, Result failed, Call call, Arguments... arguments) {
    return fails(name) ? failed : call(arguments...);
}

} // namespace numir::seam

#define NUMIR_SEAMED(name, failed, ...) numir::seam::seamed(#name, failed, ::name, __VA_ARGS__)
#define CreateFileW numir::seam::createFile
#define CloseHandle numir::seam::closeHandle
#define FlushFileBuffers numir::seam::flushFile
#define GetFileAttributesW(...)                                                                    \
    NUMIR_SEAMED(GetFileAttributesW, DWORD{INVALID_FILE_ATTRIBUTES}, __VA_ARGS__)
#define LockFileEx(...) NUMIR_SEAMED(LockFileEx, BOOL{FALSE}, __VA_ARGS__)
#define GetFileInformationByHandle(...)                                                            \
    NUMIR_SEAMED(GetFileInformationByHandle, BOOL{FALSE}, __VA_ARGS__)
#define ReadFile(...) NUMIR_SEAMED(ReadFile, BOOL{FALSE}, __VA_ARGS__)
#define WriteFile(...) NUMIR_SEAMED(WriteFile, BOOL{FALSE}, __VA_ARGS__)
#define SetFileInformationByHandle(...)                                                            \
    NUMIR_SEAMED(SetFileInformationByHandle, BOOL{FALSE}, __VA_ARGS__)
#define GetFinalPathNameByHandleW(...)                                                             \
    NUMIR_SEAMED(GetFinalPathNameByHandleW, DWORD{0}, __VA_ARGS__)
// These two give their error as their result.
#define GetSecurityInfo(...) NUMIR_SEAMED(GetSecurityInfo, numir::seam::plan().code, __VA_ARGS__)
#define SetSecurityInfo(...) NUMIR_SEAMED(SetSecurityInfo, numir::seam::plan().code, __VA_ARGS__)
