#include "prediction_settings.h"

#include <gtest/gtest.h>

namespace numir {
namespace {

TEST(CountPresets, EachButtonSetsItsOwnCountAndQuota) {
    // Buttons Option3..Option10; the thirty preset sits at Option9, out of visual order.
    const std::pair<int, CountPreset> expected[] = {{0, {5, 1}},   {1, {10, 3}},   {2, {20, 6}},
                                                    {3, {50, 15}}, {4, {100, 30}}, {5, {200, 60}},
                                                    {6, {30, 8}},  {7, {500, 190}}};
    for (auto [index, preset] : expected) {
        TypedInputs inputs;
        inputs.selectedPreset = index;
        PredictionSettings settings = settingsFromInputs(inputs);
        EXPECT_EQ(settings.targetCount, preset.targetCount) << index;
        EXPECT_EQ(settings.oddSumQuota, preset.oddSumQuota) << index;
    }
}

TEST(SettingsFromInputs, UncheckedFieldsAreNotRead) {
    TypedInputs inputs;
    inputs.text1 = "garbage";
    inputs.text2 = inputs.text3 = inputs.text5 = inputs.text6 = "99";
    PredictionSettings settings = settingsFromInputs(inputs);
    EXPECT_FALSE(settings.exclude1.on || settings.exclude2.on || settings.include1.on ||
                 settings.include2.on || settings.previousDrawOn);
    EXPECT_EQ(settings.exclude1.value, 0);
    EXPECT_TRUE(settings.previousDrawText.empty());
}

TEST(SettingsFromInputs, EachCheckBoxReadsItsOwnField) {
    TypedInputs inputs;
    inputs.check1 = inputs.check2 = inputs.check3 = inputs.check4 = inputs.check5 = true;
    inputs.text1 = "  010512233441 ";
    inputs.text2 = "2";
    inputs.text3 = "3";
    inputs.text5 = "5";
    inputs.text6 = "6";
    inputs.option1 = true;
    PredictionSettings settings = settingsFromInputs(inputs);
    EXPECT_EQ(settings.exclude1.value, 2);
    EXPECT_EQ(settings.include1.value, 3);
    EXPECT_EQ(settings.exclude2.value, 5);
    EXPECT_EQ(settings.include2.value, 6);
    EXPECT_EQ(settings.previousDrawText, U"010512233441");
    EXPECT_TRUE(settings.append);
    EXPECT_EQ(settings.previousDraw(), (PreviousDraw{1, 5, 12, 23, 34, 41}));
}

TEST(PreviousDraw, PiecesAreTwoCharactersEach) {
    const std::pair<std::u32string, PreviousDraw> cases[] = {
        {U"0a  ab 77 ", {0, 0, 0, 7, 7, 0}},
        {U"０１０２０３０４０５４３", {1, 2, 3, 4, 5, 43}},
        {U"1.2.3.4.5.6.", {1, 2, 3, 4, 5, 6}},
        {U"0102", {1, 2, 0, 0, 0, 0}},
    };
    for (const auto& [text, expected] : cases) {
        PredictionSettings settings;
        settings.previousDrawText = text;
        EXPECT_EQ(settings.previousDraw(), expected);
    }
}

TEST(Include2Whole, RoundsHalfToEvenOnlyWithinRange) {
    const std::pair<double, std::optional<int>> cases[] = {{7.5, 8},
                                                           {8.5, 8},
                                                           {7.4, 7},
                                                           {7.6, 8},
                                                           {1, 1},
                                                           {43, 43},
                                                           {0.5, std::nullopt},
                                                           {42.5, 42},
                                                           {43.2, std::nullopt},
                                                           {1e300, std::nullopt}};
    for (auto [typed, expected] : cases) {
        PredictionSettings settings;
        settings.include2 = {true, typed};
        EXPECT_EQ(settings.include2Whole(), expected) << typed;
    }
    PredictionSettings off;
    off.include2 = {false, 7};
    EXPECT_EQ(off.include2Whole(), std::nullopt);
}

} // namespace
} // namespace numir
