// How a finished run's lines reach numir.txt: the bytes afterwards, what the file still is,
// what else the folder holds, and the kind of error; copies appending at once; a real full disk.
// Windows rows run the Windows build under Wine. Every system call failed or killed in turn, on
// Linux, is file_fault_sweep.py's.
#include "durable_write.h"
#include "test_support.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace numir {
namespace {

namespace fs = std::filesystem;
using testing::namesIn;
using testing::readWholeFile;
using testing::writeWholeFile;

using testing::oldLines;
using testing::runLines;

std::optional<FileError> put(const fs::path& path, bool append, std::string_view bytes = runLines) {
    return append ? appendDurably(path, bytes) : replaceDurably(path, bytes);
}

std::string afterRun(bool append, const std::string& before) {
    return append ? before + runLines : runLines;
}

std::optional<FileProblem> problemOf(const std::optional<FileError>& error) {
    return error ? std::optional(error->problem) : std::nullopt;
}

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

// Starts copies of the writer program at once and gives the exit codes.
std::vector<int> runWriters(const fs::path& file, int writers, int runs, int linesPerRun) {
    const fs::path program = besideThisProgram("file_writer");
    std::vector<int> codes;
#ifdef _WIN32
    std::vector<PROCESS_INFORMATION> started;
    for (int w = 0; w < writers; ++w) {
        std::wstring line = L"\"" + program.wstring() + L"\" \"" + file.wstring() + L"\" append " +
                            std::to_wstring(linesPerRun) + L" " + std::to_wstring(runs) + L" " +
                            std::to_wstring(w);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &process))
            started.push_back(process);
    }
    for (auto& process : started) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 1;
        GetExitCodeProcess(process.hProcess, &code);
        codes.push_back(static_cast<int>(code));
        CloseHandle(process.hProcess), CloseHandle(process.hThread);
    }
#else
    std::vector<pid_t> started;
    for (int w = 0; w < writers; ++w) {
        std::vector<std::string> args{
            program.string(),     file.string(),    "append", std::to_string(linesPerRun),
            std::to_string(runs), std::to_string(w)};
        pid_t child = fork();
        if (child == 0) {
            std::vector<char*> argv;
            for (auto& arg : args)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        started.push_back(child);
    }
    for (pid_t child : started) {
        int status = 0;
        waitpid(child, &status, 0);
        codes.push_back(WIFEXITED(status) ? WEXITSTATUS(status) : 128);
    }
#endif
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

struct Situation {
    const char* name;
    std::function<void(const fs::path& folder)> prepare;
    std::optional<FileProblem> problem;    // the same in both modes; none when it works
    const char* linesLandIn = "numir.txt"; // where the run's lines are read back
};

std::vector<Situation> situations() {
    std::vector<Situation> rows{
        {"missing file", [](auto&) {}, std::nullopt},
        {"a folder named numir.txt", [](auto& f) { fs::create_directory(f / "numir.txt"); },
         FileProblem::FolderInTheWay},
    };
#ifdef _WIN32
    rows.push_back({"read-only attribute",
                    [](auto& f) {
                        writeWholeFile(f / "numir.txt", oldLines);
                        SetFileAttributesW((f / "numir.txt").c_str(), FILE_ATTRIBUTE_READONLY);
                    },
                    FileProblem::ReadOnly});
#endif
    return rows;
}

struct FileState {
    std::string bytes;
    fs::file_type type;
    fs::perms perms;
    std::uintmax_t links;
};

FileState stateOf(const fs::path& path) {
    auto status = fs::symlink_status(path);
    std::error_code ignored;
    return {fs::is_regular_file(path) ? readWholeFile(path) : "", status.type(),
            status.permissions(), fs::hard_link_count(path, ignored)};
}

TEST(PredictionFileTest, EverySituationInBothModes) {
    for (const Situation& row : situations())
        for (bool append : {true, false}) {
            SCOPED_TRACE(std::string(row.name) + (append ? ", appending" : ", replacing"));
            testing::TempFolder folder;
            row.prepare(folder.path);
            const fs::path file = folder / "numir.txt";
            const FileState before = stateOf(file),
                            landingBefore = stateOf(folder / row.linesLandIn);
            const auto namesBefore = namesIn(folder.path);
            auto error = put(file, append);
            EXPECT_EQ(problemOf(error), row.problem);
            const FileState after = stateOf(file);
            EXPECT_EQ(after.type, before.type == fs::file_type::not_found ? fs::file_type::regular
                                                                          : before.type);
            EXPECT_EQ(after.links, before.type == fs::file_type::not_found ? 1 : before.links);
            if (before.type != fs::file_type::not_found) {
                EXPECT_EQ(after.perms, before.perms);
            }
            EXPECT_EQ(stateOf(folder / row.linesLandIn).bytes,
                      error ? landingBefore.bytes : afterRun(append, landingBefore.bytes));
            auto names = namesBefore;
            if (before.type == fs::file_type::not_found)
                names.push_back("numir.txt"), std::sort(names.begin(), names.end());
            EXPECT_EQ(namesIn(folder.path), names); // nothing of ours left, nothing of theirs gone
#ifdef _WIN32
            SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
        }
}

#ifdef _WIN32
// Another program holding numir.txt with no sharing: refused in both modes, bytes kept.
TEST(PredictionFileTest, AFileHeldByAnotherProgramIsLeftAlone) {
    testing::TempFolder folder;
    const fs::path file = folder / "numir.txt";
    writeWholeFile(file, oldLines);
    HANDLE held = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    for (bool append : {true, false})
        EXPECT_EQ(problemOf(put(file, append)), FileProblem::InUse);
    CloseHandle(held);
    EXPECT_EQ(readWholeFile(file), oldLines);
    EXPECT_EQ(namesIn(folder.path), std::vector<std::string>{"numir.txt"});
}
#else

// Runs body in a child process and gives its exit status; a skip is 77.
int inChild(const std::function<int()>& body) {
    pid_t child = fork();
    if (child == 0)
        _exit(body());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

constexpr int passed = 0, skipped = 77;

// On a small disk of its own: an append needs room for its own bytes only, and a disk too
// full for the run leaves numir.txt whole in both modes, with no file of ours left behind.
TEST(PredictionFileTest, ANearlyFullDisk) {
    testing::TempFolder folder;
    const fs::path file = folder / "numir.txt", filler = folder / "filler";
    int status = inChild([&] {
        if (unshare(CLONE_NEWNS) != 0 ||
            mount("", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("numir", folder.path.c_str(), "tmpfs", 0, "size=64k") != 0)
            return skipped;
        // numir.txt ends 70 bytes short of a full page; every other page is taken. A run too
        // large for the room fills it part way before the disk is full, and is cut back.
        writeWholeFile(file, std::string(4096 - 70, '1'));
        writeWholeFile(filler, std::string(1 << 20, '0'));
        if (fs::file_size(filler) >= 1 << 20)
            return 2;
        const std::string before = readWholeFile(file);
        for (bool append : {true, false}) {
            auto error = put(file, append, std::string(4096, '3'));
            if (problemOf(error) != FileProblem::DiskFull || readWholeFile(file) != before ||
                namesIn(folder.path) != std::vector<std::string>{"filler", "numir.txt"})
                return 4 + append;
        }
        if (appendDurably(file, std::string(70, '2')))
            return 3;
        const std::string full = readWholeFile(file);
        fs::create_hard_link(file, folder / "copy.txt"); // in place, with its room taken first
        if (problemOf(replaceDurably(file, std::string(8192, '3'))) != FileProblem::DiskFull ||
            readWholeFile(file) != full)
            return 6;
        return passed;
    });
    if (status == skipped)
        GTEST_SKIP() << "no small disk can be mounted here";
    EXPECT_EQ(status, passed);
}
#endif

} // namespace
} // namespace numir
