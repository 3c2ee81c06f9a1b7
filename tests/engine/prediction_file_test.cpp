// Which states of the file a put-back may undo, where a file is as the printing program sees
// it, and (on Windows) what a person set on the file kept by a replace. Faults, start-up after them
// and copies at once are file_fault_sweep.py's.
#include "file/durable_write.h"
#include "file/prediction_file.h"
#include "file/seen_folder.h"
#include "file/undo_record.h"
#include "test_support.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <aclapi.h>
#include <sddl.h>
#include <windows.h>
#endif

namespace numir {
namespace {

namespace fs = std::filesystem;
using testing::oldLines, testing::readWholeFile, testing::runLines, testing::writeWholeFile;

// A put-back undoes only what the recorded write (or a put-back of it) can leave: the states
// beyond the fault sweep's reach (torn lines, put-backs part way) among them.
TEST(UndoRecordTest, PutsBackOnlyWhatTheWriteCanLeave) {
    using enum WriteState;
    const std::string person = "424242424242\r\n";
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
        {"append part way", append, oldLines + runLines.substr(0, 20), Unfinished},
        {"a line added after part of it", append, oldLines + runLines.substr(0, 14) + person,
         Foreign},
        {"a put-back part way", shrinking,
         longOld.substr(0, 10) + runLines.substr(10, 10) + longOld.substr(20), Unfinished},
        {"grown part way past the old end", growing, runLines.substr(0, 35), Unfinished},
        {"grown, then the last line cut", growing, runLines.substr(0, 28), LinesShort},
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

// Where a file of a folder is, as the printing program sees it: in the folder's store under a
// virtualized folder (Program Files and the like) when the store has a copy, stale or not;
// otherwise the folder's own. A write the folder refuses goes to a store copy of its own file.
TEST(SeenFolderTest, AFileIsWhereThePrintingProgramSeesIt) {
    const std::vector<fs::path> virtualized{"/Program Files", "/Program Files (x86)/", "/Windows"};
    const std::tuple<const char*, fs::path, std::optional<fs::path>> rules[] = {
        {"under Program Files (x86)", "/Program Files (x86)/Velnor",
         "/Local/VirtualStore/Program Files (x86)/Velnor"},
        {"letter case aside", "/program files/velnor", "/Local/VirtualStore/program files/velnor"},
        {"a name that only begins like one", "/Program Files Extra/Velnor", std::nullopt},
        {"elsewhere", "/Users/u/Velnor", std::nullopt},
    };
    for (const auto& [name, folder, store] : rules)
        EXPECT_EQ(seenFolderOf(folder, virtualized, "/Local").store, store) << name;
    testing::TempFolder top;
    const SeenFolder seen{top / "own", top / "store"}, plain{top / "own", std::nullopt};
    const std::tuple<const char*, const char*, const char*, const SeenFolder&, bool> places[] = {
        {"the folder's own only", "own", nullptr, seen, false},
        {"the store's copy only", nullptr, "stored", seen, true},
        {"a stale store copy beside a newer own file", "newer", "stale", seen, true},
        {"neither", nullptr, nullptr, seen, false},
        {"a folder that is not virtualized", "own", "stored", plain, false},
    };
    for (const auto& [name, own, stored, folder, inStore] : places) {
        fs::remove_all(top.path), fs::create_directories(top / "own"),
            fs::create_directories(top / "store");
        for (auto [bytes, where] : {std::pair{own, "own"}, {stored, "store"}})
            if (bytes)
                writeWholeFile(top / where / "numir.txt", bytes);
        EXPECT_EQ(folder.seen("numir.txt"), top / (inStore ? "store" : "own") / "numir.txt")
            << name;
    }
    fs::remove_all(top / "store");
    const FileError refused{"numir.txt", FileProblem::NoPermission},
        readOnly{"numir.txt", FileProblem::ReadOnly};
    EXPECT_EQ(seen.storeInstead("numir.txt", readOnly), std::nullopt);
    EXPECT_EQ(plain.storeInstead("numir.txt", refused), std::nullopt);
    EXPECT_EQ(seen.storeInstead("numir.txt", refused), top / "store" / "numir.txt");
    EXPECT_EQ(readWholeFile(top / "store" / "numir.txt"), "own");
    EXPECT_EQ(seen.storeInstead("numir.txt", refused), std::nullopt); // the copy is seen now
}

#ifdef _WIN32
// What a person set on numir.txt stays with it when a run replaces it: its attributes and
// its permissions.
TEST(PredictionFileTest, AReplaceKeepsTheAttributesAndPermissionsAPersonSet) {
    testing::TempFolder folder;
    const fs::path file = folder / "numir.txt";
    writeWholeFile(file, oldLines);
    const auto permissions = [&file] {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, nullptr, nullptr, &descriptor);
        LPWSTR text = nullptr;
        ConvertSecurityDescriptorToStringSecurityDescriptorW(
            descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr);
        std::wstring said = text ? text : L"";
        LocalFree(text), LocalFree(descriptor);
        return said;
    };
    PSECURITY_DESCRIPTOR wanted = nullptr; // the administrators all, everyone else reading
    ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;BA)(A;;FR;;;WD)",
                                                         SDDL_REVISION_1, &wanted, nullptr);
    ASSERT_TRUE(SetFileSecurityW(file.c_str(), DACL_SECURITY_INFORMATION, wanted));
    LocalFree(wanted);
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    const std::wstring before = permissions();
    EXPECT_EQ(replaceDurably(file, runLines), std::nullopt);
    EXPECT_EQ(permissions(), before);
    EXPECT_EQ(GetFileAttributesW(file.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM});
}
#endif

} // namespace
} // namespace numir
