// What a run killed half way through its write leaves, and how the next run or start-up
// clears it away, on Linux and, under Wine, on Windows.
#include "durable_write.h"
#include "prediction_file.h"
#include "test_support.h"
#include "undo_journal.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace numir {
namespace {

namespace fs = std::filesystem;
using testing::namesIn;
using testing::readWholeFile;
using testing::writeWholeFile;

using testing::oldLines;
using testing::runLines;

// The file's identity as the undo record keeps it.
std::uint64_t fileIdOf(const fs::path& path) {
#ifdef _WIN32
    HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
#else
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_ino;
#endif
}

// What a run killed half way left: the next run, or start-up, puts the file back as it was
// and removes the program's own temporary files, and only those.
TEST(PredictionFileTest, WhatAKilledRunLeftIsClearedAway) {
#ifdef _WIN32
    const std::string temporary = "numir.txt.4294967280-7.tmp"; // of no running process
#else
    const std::string temporary = ".numir.txt.Ab12Yz";
#endif
    const std::vector<std::string> usersOwn{"numir.txt.bak", ".numir.txt.old", "numir.txt.undo"};
    const std::string torn = runLines.substr(0, 20) + oldLines.substr(20);
    for (bool append : {true, false})
        for (bool startUp : {true, false}) {
            SCOPED_TRACE(std::string(append ? "append" : "replace") +
                         (startUp ? ", start-up" : ""));
            testing::TempFolder folder;
            const fs::path file = folder / "numir.txt";
            writeWholeFile(file, torn);
            for (const std::string& name : usersOwn)
                writeWholeFile(folder / name, "mine");
            writeWholeFile(folder / temporary, runLines);
            writeWholeFile(undoRecordPath(file),
                           encodeUndoRecord(recordFor(fileIdOf(file), oldLines, oldLines.size(),
                                                      runLines, false)));
            const auto error = startUp  ? PredictionFile(file).ensureExists()
                               : append ? appendDurably(file, runLines)
                                        : replaceDurably(file, runLines);
            EXPECT_EQ(error, std::nullopt);
            EXPECT_EQ(readWholeFile(file), startUp  ? oldLines
                                           : append ? oldLines + runLines
                                                    : runLines);
            auto names = usersOwn;
            names.push_back("numir.txt"), std::sort(names.begin(), names.end());
            EXPECT_EQ(namesIn(folder.path), names);
        }
    // A record whose write finished is dropped without undoing it.
    testing::TempFolder folder;
    const fs::path file = folder / "numir.txt";
    writeWholeFile(file, oldLines + runLines);
    writeWholeFile(undoRecordPath(file), encodeUndoRecord(recordFor(
                                             fileIdOf(file), "", oldLines.size(), runLines, true)));
    EXPECT_EQ(recoverInterruptedWrite(file), std::nullopt);
    EXPECT_EQ(readWholeFile(file), oldLines + runLines);
    EXPECT_EQ(namesIn(folder.path), std::vector<std::string>{"numir.txt"});
}

} // namespace
} // namespace numir
