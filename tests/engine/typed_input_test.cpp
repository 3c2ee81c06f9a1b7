// What typed text turns into: numbers, the previous draw's pieces, the rounded include 2
// and the presets. Which field feeds which setting is the validation tests' business.
#include "settings/prediction_settings.h"
#include "settings/typed_text.h"

#include <clocale>
#include <gtest/gtest.h>
#include <limits>

namespace numir {
namespace {

TEST(TypedInput, NumericValueReadsTheNumberTheTextBeginsWith) {
    const double infinity = std::numeric_limits<double>::infinity();
    // clang-format off
    const std::pair<std::string, double> cases[] = {
        {"07", 7}, {"7a", 7}, {"a7", 0}, {"1 2", 12}, {"", 0}, {"\t4\n3 ", 43}, {"1.2.3", 1.2},
        {"-3", -3}, {"-", 0}, {"430E-1", 43}, {"4e+x", 4}, {"1\r2", 1}, {"&H10", 0}, {"0x10", 0},
        {"４３", 43}, {"－７．５Ｅ１", -75}, {"　１　２", 12}, {"１Ａ", 1}, {"4\xFF" "3", 4},
        {"1e400", infinity}, {"-1e400", -infinity}, {std::string(400, '9'), infinity},
        {"1e-400", 0}, {"0e99999", 0}};
    // clang-format on
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(numericValue(text), expected) << '"' << text << '"';
    // A decimal-comma locale must not turn "7.5" into 7.
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr) {
        EXPECT_EQ(numericValue(std::string("7.5")), 7.5);
        std::setlocale(LC_ALL, "C");
    }
}

TEST(TypedInput, PreviousDrawPiecesAndTheRoundedInclude2) {
    EXPECT_EQ(decodeUtf8("０１\xC0\xAF").size(), 4u); // an invalid byte counts as one
    EXPECT_EQ(trimSpaces(U"　 01 02　 "), U"01 02");
    const std::pair<std::u32string, PreviousDraw> draws[] = {
        {U"0a  ab 77 ", {0, 0, 0, 7, 7, 0}},
        {U"０１０２０３０４０５４３", {1, 2, 3, 4, 5, 43}},
        {U"0102", {1, 2, 0, 0, 0, 0}}};
    for (const auto& [text, expected] : draws) {
        PredictionSettings settings;
        settings.previousDrawText = text;
        EXPECT_EQ(settings.previousDraw(), expected);
    }
    // Half to even, and only within 1..43.
    // clang-format off
    const std::pair<double, std::optional<int>> roundings[] = {
        {7.5, 8}, {8.5, 8}, {7.4, 7}, {43, 43}, {42.5, 42}, {0.5, std::nullopt}, {43.2, std::nullopt}};
    // clang-format on
    for (auto [typed, expected] : roundings) {
        PredictionSettings settings;
        settings.include2 = {true, typed};
        EXPECT_EQ(settings.include2Whole(), expected) << typed;
    }
}

// The quota is no fixed share of the count; a count no preset offers leaves the default.
TEST(TypedInput, APresetGivesItsCountAndQuota) {
    const struct {
        const char* name;
        std::optional<int> chosen;
        CountPreset expected;
    } rows[] = {{"30 lines", 30, {30, 8}},
                {"500 lines", 500, {500, 190}},
                {"no preset", std::nullopt, {10, 3}},
                {"no such preset", 7, {10, 3}}};
    for (const auto& [name, chosen, expected] : rows) {
        TypedInputs inputs;
        inputs.presetCount = chosen;
        PredictionSettings settings = settingsFromInputs(inputs);
        EXPECT_EQ(std::pair(settings.targetCount, settings.oddSumQuota),
                  std::pair(expected.targetCount, expected.oddSumQuota))
            << name;
    }
}

} // namespace
} // namespace numir
