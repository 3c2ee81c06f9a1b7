// A second program for the tests: one copy of the program writing numir.txt, run several
// times at once, or run under a tracer that makes one of its system calls fail. Each run's
// lines have digits that name the writer, run and line. The exit code is the outcome: 0
// written, 3 a file error.
// Usage: file_writer FILE append|replace LINES_PER_RUN [RUNS [WRITER]]
//        file_writer FILE recover   (what start-up does: the file made whole again)
#include "file/prediction_file.h"

#include <string>
#include <vector>
#ifndef _WIN32
#include <unistd.h>
#endif

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    numir::PredictionFile file(argv[1]);
    const std::string mode = argv[2];
    if (mode == "recover")
        return file.ensureExists() ? 3 : 0;
    if (argc < 4 || (mode != "append" && mode != "replace"))
        return 2;
    const int lines = std::stoi(argv[3]), runs = argc > 4 ? std::stoi(argv[4]) : 1,
              writer = argc > 5 ? std::stoi(argv[5]) : 0;
#ifndef _WIN32
    ::getppid(); // marks, for a tracer, where start-up ends and the writing begins
#endif
    for (int run = 0; run < runs; ++run) {
        std::vector<std::string> written;
        for (int line = 0; line < lines; ++line)
            written.push_back(
                std::to_string(100000000000 + writer * 100000000LL + run * 1000 + line));
        if (file.write(written, mode == "append"))
            return 3;
    }
    return 0;
}
