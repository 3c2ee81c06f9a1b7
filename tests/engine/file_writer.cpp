// One copy of the program writing numir.txt, for the fault sweep, whose lines' digits name the
// writer, run and line. Says "written", or "failed" and the kind of problem the user is told;
// the exit code is 0 when written, 3 for a file error.
// Usage: file_writer FILE append|replace LINES_PER_RUN [RUNS [WRITER]]
//        file_writer FILE recover   (what start-up does: the file made whole again)
// On Windows also: file_writer --serve, which takes one case a line, FAULT FLAGS MODE LINES
// FILE, until its input ends. FAULT is - or CALL:AT:CODE with + for a lasting fault (code 0
// ends the process there); FLAGS is - or any of nonew (the folder takes no new file), hold
// (another program holds the file, sharing reading and writing), pending (the removal of any
// file named *Pend1n* is pending), pause (a second and a half at the flush after an append)
// and trace (lists the calls).
#include "file/prediction_file.h"

#include <iostream>
#include <string>
#include <vector>
#ifdef _WIN32
#include "win32_fault_seam.h"

#include <sstream>
#else
#include <unistd.h>
#endif

namespace {

const char* kindOf(numir::FileProblem problem) {
    static const char* const kinds[] = {"NoPermission",  "ReadOnly",       "DiskFull",     "InUse",
                                        "FolderMissing", "FolderInTheWay", "NotReachable", "Other"};
    return kinds[static_cast<int>(problem)];
}

int written(const std::optional<numir::FileError>& error) {
    std::cout << (error ? std::string("failed ") + kindOf(error->problem) : "written") << std::endl;
    return error ? 3 : 0;
}

int runs(const numir::PredictionFile& file, const std::string& mode, int lines, int runs,
         int writer) {
    if (mode == "recover")
        return written(file.ensureExists());
    for (int run = 0; run < runs; ++run) {
        std::vector<std::string> bytes;
        for (int line = 0; line < lines; ++line)
            bytes.push_back(
                std::to_string(100000000000 + writer * 100000000LL + run * 1000 + line));
        if (auto error = file.write(bytes, mode == "append"))
            return written(error);
    }
    return written(std::nullopt);
}

#ifdef _WIN32
// One case of the sweep, told on one line.
void serveOne(const std::string& request) {
    std::istringstream in(request);
    std::string fault, flags, mode, path;
    int lines = 0;
    in >> fault >> flags >> mode >> lines >> std::ws;
    std::getline(in, path);
    numir::seam::Plan& plan = numir::seam::plan();
    plan = {};
    std::string calls;
    if (fault != "-") {
        const auto first = fault.find(':'), second = fault.find(':', first + 1);
        plan.call = fault.substr(0, first);
        plan.at = std::stoi(fault.substr(first + 1, second - first - 1));
        plan.code = std::stoul(fault.substr(second + 1));
        plan.lasting = fault.ends_with('+');
    }
    plan.refuseNewFiles = flags.find("nonew") != std::string::npos;
    if (flags.find("pending") != std::string::npos)
        plan.pending = L"Pend1n";
    plan.pauseAfterAppend = flags.find("pause") != std::string::npos;
    HANDLE held = INVALID_HANDLE_VALUE;
    if (flags.find("hold") != std::string::npos)
        held = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    if (flags.find("trace") != std::string::npos)
        plan.trace = &calls;
    runs(numir::PredictionFile(path), mode, lines, 1, 0);
    plan = {};
    if (held != INVALID_HANDLE_VALUE)
        ::CloseHandle(held);
    if (!calls.empty())
        std::cout << calls << std::endl;
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
#endif
    if (argc < 3)
        return 2;
    const std::string mode = argv[2];
    if (mode != "recover" && (argc < 4 || (mode != "append" && mode != "replace")))
        return 2;
#ifndef _WIN32
    ::getppid(); // marks, for a tracer, where start-up ends and the writing begins
#endif
    return runs(numir::PredictionFile(argv[1]), mode, argc > 3 ? std::stoi(argv[3]) : 0,
                argc > 4 ? std::stoi(argv[4]) : 1, argc > 5 ? std::stoi(argv[5]) : 0);
}
