#include "input_validation.h"

#include <gtest/gtest.h>

namespace numir {
namespace {

using Field = std::optional<std::string>; // nullopt: the check box is off
constexpr auto Include = InputError::IncludeNumbers;
constexpr auto Exclude = InputError::ExcludeNumbers;
constexpr auto Previous = InputError::PreviousDraw;
constexpr std::optional<InputError> Pass;

struct ValidationCase {
    const char* name;
    Field include1, include2, exclude1, exclude2, previousDraw;
    std::optional<InputError> typedRanges; // the fixed checks alone
    std::optional<InputError> overall;     // with the satisfiability checks
};

PredictionSettings settingsFor(const ValidationCase& c) {
    TypedInputs inputs;
    inputs.check3 = c.include1.has_value();
    inputs.text3 = c.include1.value_or("");
    inputs.check5 = c.include2.has_value();
    inputs.text6 = c.include2.value_or("");
    inputs.check2 = c.exclude1.has_value();
    inputs.text2 = c.exclude1.value_or("");
    inputs.check4 = c.exclude2.has_value();
    inputs.text5 = c.exclude2.value_or("");
    inputs.check1 = c.previousDraw.has_value();
    inputs.text1 = c.previousDraw.value_or("");
    return settingsFromInputs(inputs);
}

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ValidationCase& c, std::ostream* out) {
    *out << c.name;
}

class ValidationTest : public ::testing::TestWithParam<ValidationCase> {};

TEST_P(ValidationTest, ReportsTheFirstFailedCheck) {
    const auto& c = GetParam();
    PredictionSettings settings = settingsFor(c);
    EXPECT_EQ(checkTypedRanges(settings), c.typedRanges);
    EXPECT_EQ(validate(settings), c.overall);
}

const std::nullopt_t off = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Checks, ValidationTest,
    ::testing::Values(
        ValidationCase{"NothingOn", off, off, off, off, off, Pass, Pass},
        ValidationCase{"IncludeBoundsAreInclusive", "1", "43", off, off, off, Pass, Pass},
        ValidationCase{"ExcludeBoundsAreInclusive", off, off, "43", "1", off, Pass, Pass},
        ValidationCase{"EmptyInclude2FailsAlone", off, "", off, off, off, Include, Include},
        ValidationCase{"Include1Below", "0.99", off, off, off, off, Include, Include},
        ValidationCase{"Include1Above", "43.01", off, off, off, off, Include, Include},
        ValidationCase{"Include1Infinite", "1e400", off, off, off, off, Include, Include},
        ValidationCase{"EqualIncludes", "7", "7", off, off, off, Include, Include},
        ValidationCase{"NearlyEqualIncludesPass", "7", "7.4", off, off, off, Pass, Pass},
        ValidationCase{"Exclude1Below", off, off, "0", off, off, Exclude, Exclude},
        ValidationCase{"Exclude2Above", off, off, off, "44", off, Exclude, Exclude},
        ValidationCase{"Exclude2NegativeInfinite", off, off, off, "-1e999", off, Exclude, Exclude},
        ValidationCase{"IncludesCheckedBeforeExcludes", off, "0", "44", off, off, Include, Include},
        ValidationCase{"ExcludeReportedWhenIncludesPass", off, "5", "44", off, off, Exclude,
                       Exclude},
        ValidationCase{"EqualExcludesAreHarmless", off, off, "9", "9", off, Pass, Pass},
        ValidationCase{"PreviousDrawTrimmed", off, off, off, off, "  010203040506   ", Pass, Pass},
        ValidationCase{"PreviousDrawElevenDigits", off, off, off, off, "01020304050", Previous,
                       Previous},
        ValidationCase{"PreviousDrawInnerBlank", off, off, off, off, "010203 040506", Previous,
                       Previous},
        ValidationCase{"PreviousDrawFullWidth", off, off, off, off, "０１０２０３０４０５０６",
                       Pass, Pass},
        ValidationCase{"PreviousDrawInvalidBytesCountOnce", off, off, off, off,
                       "01\xFF\xFE"
                       "03040506",
                       Pass, Pass},
        ValidationCase{"PreviousDrawRepeat", off, off, off, off, "050105020304", Previous,
                       Previous},
        ValidationCase{"ExcludesBeforePreviousDraw", off, off, "50", off, "0505", Exclude, Exclude},
        ValidationCase{"BothIncludesInPreviousDraw", "3", "5", off, off, "010203040506", Include,
                       Include},
        ValidationCase{"RoundedInclude2InPreviousDraw", "3", "4.5", off, off, "010203040506",
                       Include, Include},
        ValidationCase{"OneIncludeInPreviousDraw", "3", "9", off, off, "010203040506", Pass, Pass},
        // Settings that pass the fixed checks but could never complete a run.
        ValidationCase{"ZerosAreNotRepeatsButUnmatchable", off, off, off, off, "000000000000", Pass,
                       Previous},
        ValidationCase{"PreviousDrawOutOfRange", off, off, off, off, "445566778899", Pass,
                       Previous},
        ValidationCase{"PreviousDrawFractional", off, off, off, off, ".5.6.7.8.9.1", Pass,
                       Previous},
        ValidationCase{"PreviousDrawAllExcluded", off, off, "1", "2", "010200000000", Pass,
                       Previous},
        ValidationCase{"PreviousDrawOneLeft", off, off, "1", "2", "010203000000", Pass, Pass},
        ValidationCase{"FractionalInclude1", "7.5", off, off, off, off, Pass, Include},
        ValidationCase{"Include1Excluded", "7", off, off, "7", off, Pass, Include},
        ValidationCase{"RoundedInclude2Excluded", off, "7.5", "8", off, off, Pass, Include},
        ValidationCase{"FractionalExcludeNeverMatches", "7", off, "7.5", off, off, Pass, Pass},
        ValidationCase{"IncludeCheckedBeforePreviousDraw", "7.5", off, off, off, "000000000000",
                       Pass, Include}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InputErrorPrompt, TextsAreFixed) {
    EXPECT_EQ(inputErrorPrompt(InputError::IncludeNumbers), "含める番号");
    EXPECT_EQ(inputErrorPrompt(InputError::ExcludeNumbers), "除く番号");
    EXPECT_EQ(inputErrorPrompt(InputError::PreviousDraw), "前回番号");
    EXPECT_EQ(inputErrorTitle, "入力エラー");
}

} // namespace
} // namespace numir
