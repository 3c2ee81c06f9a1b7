// What a killed run left, cleared away by the next run or by start-up; (on Windows) another
// program holding the file; and which states of the file a put-back may undo. Every system
// call of a write failed or killed in turn, in every folder situation, and copies of the
// program at once, are file_fault_sweep.py's; the boxes, the form tests'.
#include "file/durable_write.h"
#include "file/prediction_file.h"
#include "file/undo_record.h"
#include "test_support.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

namespace numir {
namespace {

namespace fs = std::filesystem;
using testing::namesIn, testing::oldLines, testing::readWholeFile, testing::runLines,
    testing::writeWholeFile;

// A put-back undoes only what the recorded write (or a put-back of it) can leave.
TEST(UndoRecordTest, PutsBackOnlyWhatTheWriteCanLeave) {
    using enum WriteState;
    const std::string person = "424242424242\r\n", other = std::string(56, '5');
    const std::string longOld = oldLines + oldLines + oldLines; // longer than the run's lines
    const UndoRecord append{UndoRecord::Write::Append, {}, oldLines.size(), "", runLines};
    const UndoRecord shrinking{UndoRecord::Write::InPlace, {}, longOld.size(), longOld, runLines};
    const UndoRecord growing{UndoRecord::Write::InPlace, {}, oldLines.size(), oldLines, runLines};
    const struct {
        const char* name;
        const UndoRecord& record;
        std::string content;
        WriteState state;
    } rows[] = {
        {"append not begun", append, oldLines, NotBegun},
        {"append part way", append, oldLines + runLines.substr(0, 20), Unfinished},
        {"append finished", append, oldLines + runLines, Finished},
        {"the last line cut after the append", append, oldLines + runLines.substr(0, 28),
         LinesShort},
        {"a line added after the append", append, oldLines + runLines + person, Foreign},
        {"a line added after part of it", append, oldLines + runLines.substr(0, 14) + person,
         Foreign},
        {"cut below the old length", append, oldLines.substr(0, 14), Foreign},
        {"in place not begun", shrinking, longOld, NotBegun},
        {"new bytes, then the old", shrinking, runLines.substr(0, 20) + longOld.substr(20),
         Unfinished},
        {"new bytes not yet cut back", shrinking, runLines + longOld.substr(42), Unfinished},
        {"a put-back part way", shrinking,
         longOld.substr(0, 10) + runLines.substr(10, 10) + longOld.substr(20), Unfinished},
        {"in place finished", shrinking, runLines, Finished},
        {"a line added after a write in place", shrinking,
         runLines.substr(0, 20) + longOld.substr(20) + person, Foreign},
        {"rewritten after a write in place", shrinking, other + other.substr(0, 28), Foreign},
        {"grown part way past the old end", growing, runLines.substr(0, 35), Unfinished},
        {"grown, then the last line cut", growing, runLines.substr(0, 28), LinesShort},
        {"grown, then a line added", growing, runLines + person, Foreign},
    };
    for (const auto& row : rows)
        EXPECT_EQ(stateOf(row.record, row.content), row.state) << row.name;
    // A record that is not whole, or not the program's, is not read.
    const UndoRecord record{UndoRecord::Write::InPlace, {2049, 77}, 28, oldLines, runLines};
    const std::string bytes = encodeUndoRecord(record);
    EXPECT_EQ(decodeUndoRecord(bytes), record);
    for (std::size_t at : {std::size_t{0}, std::size_t{20}, bytes.size() - 30, bytes.size() - 1}) {
        std::string changed = bytes;
        changed[at] ^= 1;
        EXPECT_EQ(decodeUndoRecord(changed), std::nullopt) << "byte " << at << " changed";
        EXPECT_EQ(decodeUndoRecord(bytes.substr(0, at)), std::nullopt) << "cut at " << at;
    }
}

// What a killed run left: the next run or start-up puts the file back when the record is about
// this file, and removes the program's own temporary files only: other programs' files stay,
// and so does (on Windows) a temporary file another copy holds in flight.
TEST(PredictionFileTest, WhatAKilledRunLeftIsClearedAway) {
    const std::string torn = runLines.substr(0, 20) + oldLines.substr(20);
    std::vector<std::string> othersOwn{".numir.txt.Q7x9Zk", ".numir.txt.backup", "numir.txt.bak",
                                       ".numir.txt.undo", ".numir.txt.Ab12Yz.tmp"};
#ifdef _WIN32
    const std::string inFlight = ".numir.txt.Fl1ght.numir-tmp";
    othersOwn.push_back(inFlight);
#endif
    for (bool ofThisFile : {true, false})
        for (const char* action : {"start-up", "append", "replace"}) {
            SCOPED_TRACE(
                std::string(ofThisFile ? "the record of the write, " : "another file's record, ") +
                action);
            testing::TempFolder folder;
            const fs::path file = folder / "numir.txt";
            writeWholeFile(file, torn);
            for (const std::string& name : othersOwn)
                writeWholeFile(folder / name, "theirs");
            writeWholeFile(folder / ".numir.txt.Ab12Yz.numir-tmp", runLines);
            const auto identity = std::get<native::Identity>(native::identityOf(file));
            writeWholeFile(native::ownName(file, "Rec0rd", native::recordMark),
                           encodeUndoRecord({UndoRecord::Write::InPlace,
                                             ofThisFile ? identity : native::Identity{1, 2},
                                             oldLines.size(), oldLines, runLines}));
#ifdef _WIN32
            HANDLE held = CreateFileW((folder.path / inFlight).c_str(), GENERIC_WRITE | DELETE,
                                      FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
#endif
            const std::string mode = action;
            EXPECT_EQ(mode == "start-up" ? PredictionFile(file).ensureExists()
                      : mode == "append" ? appendDurably(file, runLines)
                                         : replaceDurably(file, runLines),
                      std::nullopt);
#ifdef _WIN32
            CloseHandle(held);
#endif
            const std::string leftThen = ofThisFile ? oldLines : torn;
            EXPECT_EQ(readWholeFile(file), mode == "replace"  ? runLines
                                           : mode == "append" ? leftThen + runLines
                                                              : leftThen);
            othersOwn.push_back("numir.txt"), std::sort(othersOwn.begin(), othersOwn.end());
            EXPECT_EQ(namesIn(folder.path), othersOwn);
            std::erase(othersOwn, "numir.txt");
        }
}

#ifdef _WIN32
// Another program holding numir.txt sharing all but deletion (so no new file can be moved over
// it): a replace writes in place; sharing nothing: in use. Nothing of the program's is left.
TEST(PredictionFileTest, AFileHeldByAnotherProgramIsWrittenInPlaceOrSaidToBeInUse) {
    for (DWORD sharing : {DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}, DWORD{0}}) {
        SCOPED_TRACE(sharing == 0 ? "sharing nothing" : "sharing all but deletion");
        testing::TempFolder folder;
        const fs::path file = folder / "numir.txt";
        writeWholeFile(file, oldLines);
        HANDLE held =
            CreateFileW(file.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
        for (const auto& error : {replaceDurably(file, runLines), appendDurably(file, runLines)})
            EXPECT_EQ(error ? std::optional(error->problem) : std::nullopt,
                      sharing == 0 ? std::optional(FileProblem::InUse) : std::nullopt);
        EXPECT_EQ(namesIn(folder.path), std::vector<std::string>{"numir.txt"});
        CloseHandle(held);
        EXPECT_EQ(readWholeFile(file), sharing == 0 ? oldLines : runLines + runLines);
    }
}
#endif

} // namespace
} // namespace numir
