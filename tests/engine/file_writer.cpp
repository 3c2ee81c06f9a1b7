// One copy of the program writing numir.txt, for the fault sweep, whose lines' digits name the
// writer, run and line; the exit code is 0 when written, 3 for a file error.
// Usage: file_writer FILE append|replace LINES_PER_RUN [RUNS [WRITER]]
//        file_writer FILE recover   (what start-up does: the file made whole again)
#include "file/prediction_file.h"

#include <string>
#include <unistd.h>
#include <vector>

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
    ::getppid(); // marks, for a tracer, where start-up ends and the writing begins
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
