// What reaches numir.txt when more than one plain run writes it: copies of the program
// appending at once, a run killed half way and cleared away by the next or by start-up, and
// (on Windows) another program holding the file. Every system call of a write failed or
// killed in turn, in every folder situation, is file_fault_sweep.py's; the boxes, the form tests'.
#include "durable_write.h"
#include "prediction_file.h"
#include "test_support.h"
#include "undo_journal.h"

#include <cstdlib>
#include <future>
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

// Where the test program is, so that the writer program beside it can be started.
fs::path besideThisProgram(const char* name) {
#ifdef _WIN32
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return fs::path(self).parent_path() / (std::string(name) + ".exe");
#else
    return fs::read_symlink("/proc/self/exe").parent_path() / name;
#endif
}

// Starts copies of the writer program at once, each from a shell of its own; all exit 0
// when every copy wrote.
std::vector<int> runWriters(const fs::path& file, int writers, int runs, int linesPerRun) {
    std::vector<std::future<int>> started;
    for (int w = 0; w < writers; ++w) {
        std::string line = "\"" + besideThisProgram("file_writer").string() + "\" \"" +
                           file.string() + "\" append " + std::to_string(linesPerRun) + " " +
                           std::to_string(runs) + " " + std::to_string(w);
#ifdef _WIN32
        line = "\"" + line + "\""; // cmd /c takes off the outer quotes
#endif
        started.push_back(
            std::async(std::launch::async, [line] { return std::system(line.c_str()); }));
    }
    std::vector<int> codes;
    for (auto& copy : started)
        codes.push_back(copy.get());
    return codes;
}

// Copies of the program appending at once: every line arrives, each run's lines together.
TEST(PredictionFileTest, CopiesOfTheProgramAppendingAtOnceFollowOneAnother) {
    testing::TempFolder folder;
    const fs::path file = folder / "numir.txt";
    writeWholeFile(file, oldLines);
    constexpr int writers = 4, runs = 60, linesPerRun = 5;
    EXPECT_EQ(runWriters(file, writers, runs, linesPerRun), std::vector<int>(writers, 0));
    const std::string content = readWholeFile(file);
    ASSERT_EQ(content.size(), oldLines.size() + 14u * writers * runs * linesPerRun);
    EXPECT_TRUE(content.starts_with(oldLines));
    for (std::size_t at = oldLines.size(); at < content.size(); at += 14 * linesPerRun)
        for (int l = 0; l < linesPerRun; ++l)
            EXPECT_EQ(content.substr(at + 14 * l, 14),
                      content.substr(at, 11) + std::to_string(l) + "\r\n")
                << "run at " << at;
    EXPECT_EQ(namesIn(folder.path), std::vector<std::string>{"numir.txt"});
}

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

#ifdef _WIN32
// Another program holding numir.txt: sharing nothing, both modes are refused as in use; sharing
// all but deletion, an append goes ahead and a replace, which must rename over the file, fails.
// The bytes are kept, and no file of ours is left behind.
TEST(PredictionFileTest, AFileHeldByAnotherProgramIsLeftAlone) {
    for (DWORD sharing : {DWORD{0}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}}) {
        testing::TempFolder folder;
        const fs::path file = folder / "numir.txt";
        writeWholeFile(file, oldLines);
        HANDLE held =
            CreateFileW(file.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        const auto replaced = replaceDurably(file, runLines);
        EXPECT_TRUE(replaced && (sharing != 0 || replaced->problem == FileProblem::InUse));
        EXPECT_EQ(namesIn(folder.path), std::vector<std::string>{"numir.txt"});
        EXPECT_EQ(appendDurably(file, runLines).has_value(), sharing == 0);
        CloseHandle(held);
        EXPECT_EQ(readWholeFile(file), sharing == 0 ? oldLines : oldLines + runLines);
    }
}
#endif

} // namespace
} // namespace numir
