// The fixed checks in their order, each refusal with the prompt that names the field.
#include "input_validation.h"

#include <gtest/gtest.h>

namespace numir {
namespace {

const std::optional<std::string> off;
constexpr auto Include = InputError::IncludeNumbers, Exclude = InputError::ExcludeNumbers,
               Previous = InputError::PreviousDraw;

struct Case {
    std::optional<std::string> include1, include2, exclude1, exclude2, previousDraw;
    std::optional<InputError> fixedChecks, overall; // overall adds the satisfiability checks
};

TEST(Validation, ReportsTheFirstFailedCheck) {
    const Case cases[] = {
        {off, off, off, off, off, std::nullopt, std::nullopt},
        {"1", "43", off, off, off, std::nullopt, std::nullopt}, // bounds are inclusive
        {off, off, "43", "1", off, std::nullopt, std::nullopt},
        {off, "", off, off, off, Include, Include}, // empty field is 0
        {"0.99", off, off, off, off, Include, Include},
        {"43.01", off, off, off, off, Include, Include},
        {"7", "7", off, off, off, Include, Include},
        {"7", "7.4", off, off, off, std::nullopt, std::nullopt}, // values differ
        {off, off, "0", off, off, Exclude, Exclude},
        {off, off, off, "44", off, Exclude, Exclude},
        {off, "0", "44", off, off, Include, Include}, // includes come first
        {off, "5", "44", off, off, Exclude, Exclude},
        {off, off, "9", "9", off, std::nullopt, std::nullopt},
        {off, off, off, off, "  010203040506   ", std::nullopt, std::nullopt},
        {off, off, off, off, "01020304050", Previous, Previous},
        {off, off, off, off, "010203 040506", Previous, Previous},
        {off, off, off, off, "０１０２０３０４０５０６", std::nullopt, std::nullopt},
        {off, off, off, off, "050105020304", Previous, Previous},
        {off, off, "50", off, "0505", Exclude, Exclude},
        {"3", "5", off, off, "010203040506", Include, Include},
        {"3", "4.5", off, off, "010203040506", Include, Include}, // 4.5 is matched as 4
        {"3", "9", off, off, "010203040506", std::nullopt, std::nullopt},
        // Pass the fixed checks, yet no combination could ever satisfy them.
        {off, off, off, off, "000000000000", std::nullopt, Previous},
        {off, off, "1", "2", "010200000000", std::nullopt, Previous},
        {off, off, "1", "2", "010203000000", std::nullopt, std::nullopt},
        {"7.5", off, off, off, off, std::nullopt, Include},
        {"7", off, off, "7", off, std::nullopt, Include},
        {off, "7.5", "8", off, off, std::nullopt, Include},
        {"7", off, "7.5", off, off, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        TypedInputs inputs;
        inputs.check3 = c.include1.has_value(), inputs.text3 = c.include1.value_or("");
        inputs.check5 = c.include2.has_value(), inputs.text6 = c.include2.value_or("");
        inputs.check2 = c.exclude1.has_value(), inputs.text2 = c.exclude1.value_or("");
        inputs.check4 = c.exclude2.has_value(), inputs.text5 = c.exclude2.value_or("");
        inputs.check1 = c.previousDraw.has_value(), inputs.text1 = c.previousDraw.value_or("");
        PredictionSettings settings = settingsFromInputs(inputs);
        auto row = ::testing::Message() << "row " << (&c - cases);
        EXPECT_EQ(checkTypedRanges(settings), c.fixedChecks) << row;
        EXPECT_EQ(validate(settings, PassingSet(settings).counts()), c.overall) << row;
    }
    EXPECT_EQ(inputErrorPrompt(Include), "含める番号");
    EXPECT_EQ(inputErrorPrompt(Exclude), "除く番号");
    EXPECT_EQ(inputErrorPrompt(Previous), "前回番号");
    EXPECT_EQ(inputErrorPrompt(InputError::CountPreset), "予想件数");
    EXPECT_EQ(inputErrorTitle, "入力エラー");
}

} // namespace
} // namespace numir
