// A second program for the tests: one copy of the program's appending, run several times
// at once. Appends runs of lines whose digits name the writer, run and line.
// Usage: append_writer FILE WRITER RUNS LINES_PER_RUN
#include "durable_write.h"

#include <string>

int main(int argc, char** argv) {
    if (argc != 5)
        return 2;
    const int writer = std::stoi(argv[2]), runs = std::stoi(argv[3]), lines = std::stoi(argv[4]);
    for (int run = 0; run < runs; ++run) {
        std::string bytes;
        for (int line = 0; line < lines; ++line)
            bytes +=
                std::to_string(100000000000 + writer * 100000000LL + run * 1000 + line) + "\r\n";
        if (numir::appendDurably(argv[1], bytes))
            return 1;
    }
    return 0;
}
