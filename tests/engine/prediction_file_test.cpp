// numir.txt as the printing program reads it: the status line's text, whole runs in both
// modes, a file that is made but never emptied at start-up, and failures that say why.
#include "prediction_run.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

namespace numir {
namespace {

using testing::readWholeFile;
using testing::writeWholeFile;

TEST(PredictionFile, ReportsAndLinesAreExact) {
    EXPECT_EQ(runReport(5), " 予想を書込みました。 5個の組合せから選出");
    testing::TempFolder folder;
    PredictionFile file(folder / "numir.txt");
    ClockSeededRandom random;
    writeWholeFile(file.path(), "old\r\n");
    ASSERT_FALSE(file.ensureExists());
    EXPECT_EQ(readWholeFile(file.path()), "old\r\n"); // never emptied
    PredictionSettings settings;                      // ten lines, replacing
    ASSERT_TRUE(std::holds_alternative<std::string>(runPrediction(settings, file, random)));
    std::string ten = readWholeFile(file.path());
    ASSERT_EQ(ten.size(), 140u);
    for (std::size_t at = 0; at < ten.size(); at += 14)
        EXPECT_EQ(ten.find_first_not_of("0123456789", at), at + 12);
    settings.append = true;
    ASSERT_TRUE(std::holds_alternative<std::string>(runPrediction(settings, file, random)));
    EXPECT_EQ(readWholeFile(file.path()).substr(0, 140), ten);
    EXPECT_EQ(readWholeFile(file.path()).size(), 280u);
}

TEST(PredictionFile, FailuresComeBackWithNameAndReason) {
    testing::TempFolder folder;
    PredictionFile missingFolder(folder / "no-such-folder" / "numir.txt");
    auto error = missingFolder.ensureExists();
    ASSERT_TRUE(error);
    EXPECT_NE(error->fileName.find("numir.txt"), std::string::npos);
    EXPECT_FALSE(error->reason.empty());
    EXPECT_TRUE(missingFolder.openForRun(false));
    EXPECT_TRUE(missingFolder.writeLine("010203040506"));
    EXPECT_TRUE(std::holds_alternative<FileError>(missingFolder.finish(1)));
}

} // namespace
} // namespace numir
