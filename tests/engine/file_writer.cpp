// A copy of the program writing numir.txt for the fault sweep (lines naming writer, run and
// line); says "written" (exit 0) or "failed" and the kind the user is told (exit 3).
// Usage: file_writer FILE append|replace|recover(start-up) LINES [RUNS [WRITER]], or on Windows
// --serve, one case a line: FAULT (- or CALL:AT:CODE[+], code 0 ending the process) FLAGS (-,
// or nonew, pending, pause, hold, trace: see win32_fault_seam.h) MODE LINES FILE.
#include "file/prediction_file.h"

#include <algorithm>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>
#ifdef _WIN32
#include "win32_fault_seam.h"
#else
#include <unistd.h>
#endif

namespace {

int said(const std::optional<numir::FileError>& error) {
    static const char* const kinds[] = {"NoPermission",  "ReadOnly",       "DiskFull",     "InUse",
                                        "FolderMissing", "FolderInTheWay", "NotReachable", "Other"};
    std::cout << (error ? std::string("failed ") + kinds[static_cast<int>(error->problem)]
                        : "written")
              << std::endl;
    return error ? 3 : 0;
}

int write(const std::string& path, const std::string& mode, int lines, int runs, int writer) {
    const numir::PredictionFile file(path);
    if (mode == "recover")
        return said(file.ensureExists());
    for (int run = 0; run < runs; ++run) {
        std::vector<std::string> bytes;
        for (int line = 0; line < lines; ++line)
            bytes.push_back(
                std::to_string(100000000000 + writer * 100000000LL + run * 1000 + line));
        if (auto error = file.write(bytes, mode == "append"))
            return said(error);
    }
    return said(std::nullopt);
}

#ifdef _WIN32
void serveOne(const std::string& request) {
    std::istringstream in(request);
    std::string fault, flags, mode, path, calls;
    int lines = 0;
    in >> fault >> flags >> mode >> lines >> std::ws;
    std::getline(in, path);
    numir::seam::Plan& plan = numir::seam::plan() = {};
    std::replace(fault.begin(), fault.end(), ':', ' ');
    std::istringstream(fault) >> plan.call >> plan.at >> plan.code; // "-" names no call
    plan.lasting = fault.ends_with('+');
    const auto flagged = [&flags](const char* flag) { return flags.find(flag) != flags.npos; };
    plan.refuseNewFiles = flagged("nonew"), plan.pauseAfterAppend = flagged("pause");
    plan.pending = flagged("pending") ? L"Pend1n" : nullptr;
    plan.trace = flagged("trace") ? &calls : nullptr;
    HANDLE held = flagged("hold") ? ::CreateFileA(path.c_str(), GENERIC_READ, // another program's
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                  OPEN_EXISTING, 0, nullptr)
                                  : nullptr;
    write(path, mode, lines, 1, 0);
    plan = {};
    if (held)
        ::CloseHandle(held);
    std::cout << calls << (calls.empty() ? "" : "\n") << std::flush;
}
#endif

} // namespace

#ifdef _WIN32
numir::seam::Plan& numir::seam::plan() {
    static Plan one;
    return one;
}
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    if (argc == 2 && std::string(argv[1]) == "--serve") {
        for (std::string request; std::getline(std::cin, request);)
            serveOne(request);
        return 0;
    }
#else
    ::getppid(); // marks, for a tracer, where the program's start ends and the writing begins
#endif
    if (argc < 4)
        return 2;
    return write(argv[1], argv[2], std::stoi(argv[3]), argc > 4 ? std::stoi(argv[4]) : 1,
                 argc > 5 ? std::stoi(argv[5]) : 0);
}
