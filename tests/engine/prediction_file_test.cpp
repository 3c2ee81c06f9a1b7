#include "prediction_run.h"
#include "scripted_random.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

namespace numir {
namespace {

using testing::readWholeFile;
using testing::writeWholeFile;

TEST(RunReport, ReadsAsTheStatusLine) {
    EXPECT_EQ(runReport(5), " 予想を書込みました。 5個の組合せから選出");
    EXPECT_EQ(runReport(2147483647), " 予想を書込みました。 2147483647個の組合せから選出");
}

class PredictionRunTest : public ::testing::Test {
  protected:
    PredictionOutcome run(int presetIndex, bool append) {
        TypedInputs inputs;
        inputs.selectedPreset = presetIndex;
        inputs.option1 = append;
        return runPrediction(settingsFromInputs(inputs), file, random);
    }
    std::string contents() const { return readWholeFile(file.path()); }

    testing::TempFolder folder;
    PredictionFile file{folder / "numir.txt"};
    ClockSeededRandom random;
};

TEST_F(PredictionRunTest, ReplaceModeWritesExactlyTheTargetLines) {
    writeWholeFile(file.path(), "old contents that must go\r\n");
    for (auto [presetIndex, bytes] : {std::pair{0, 70u}, std::pair{1, 140u}}) {
        auto outcome = run(presetIndex, false);
        ASSERT_TRUE(std::holds_alternative<std::string>(outcome));
        std::string text = contents();
        EXPECT_EQ(text.size(), bytes);
        EXPECT_EQ(text.find_first_not_of("0123456789\r\n"), std::string::npos);
    }
}

TEST_F(PredictionRunTest, AppendModeKeepsEarlierLines) {
    ASSERT_TRUE(std::holds_alternative<std::string>(run(0, true)));
    std::string first = contents();
    ASSERT_TRUE(std::holds_alternative<std::string>(run(0, true)));
    std::string both = contents();
    EXPECT_EQ(both.size(), 140u);
    EXPECT_EQ(both.substr(0, 70), first);
}

TEST_F(PredictionRunTest, RefusedRunTouchesNeitherFileNorRandomSource) {
    const std::string before = "keep me\r\n";
    for (bool append : {false, true}) {
        writeWholeFile(file.path(), before);
        PredictionSettings settings;
        settings.append = append;
        settings.include2 = {true, 0};
        testing::ScriptedRandom scripted({testing::unitsDrawing({1, 2, 3, 4, 5, 6})});
        EXPECT_EQ(std::get<InputError>(runPrediction(settings, file, scripted)),
                  InputError::IncludeNumbers);
        EXPECT_EQ(contents(), before);
        EXPECT_EQ(scripted.reseeds + scripted.valuesRead, 0);
    }
}

TEST_F(PredictionRunTest, EnsureExistsCreatesButNeverTruncates) {
    ASSERT_FALSE(file.ensureExists());
    EXPECT_EQ(contents(), "");
    writeWholeFile(file.path(), "012021222324\r\n");
    ASSERT_FALSE(file.ensureExists());
    EXPECT_EQ(contents(), "012021222324\r\n");
}

TEST(PredictionFileErrors, FailuresComeBackWithNameAndReason) {
    testing::TempFolder folder;
    PredictionFile missingFolder(folder / "no-such-folder" / "numir.txt");
    auto createError = missingFolder.ensureExists();
    ASSERT_TRUE(createError);
    EXPECT_NE(createError->fileName.find("numir.txt"), std::string::npos);
    EXPECT_FALSE(createError->reason.empty());
    EXPECT_TRUE(missingFolder.openForRun(false));
}

TEST(PredictionFileErrors, WritingWithoutOpeningIsAnError) {
    testing::TempFolder folder;
    PredictionFile file(folder / "numir.txt");
    EXPECT_TRUE(file.writeLine("010203040506"));
    EXPECT_TRUE(std::holds_alternative<FileError>(file.finish(1)));
}

} // namespace
} // namespace numir
