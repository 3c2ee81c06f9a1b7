// What typed text turns into: numbers, the previous draw's pieces and the rounded include 2;
// and the fixed checks on it in their order, each refusal naming the field at fault.
#include "settings/input_validation.h"
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
    const std::tuple<const char*, std::u32string, PreviousDraw> draws[] = {
        {"blanks and letters", U"0a  ab 77 ", {0, 0, 0, 7, 7, 0}},
        {"full width", U"０１０２０３０４０５４３", {1, 2, 3, 4, 5, 43}},
        {"short", U"0102", {1, 2, 0, 0, 0, 0}}};
    for (const auto& [name, text, expected] : draws) {
        PredictionSettings settings;
        settings.previousDrawText = text;
        EXPECT_EQ(settings.previousDraw(), expected) << name;
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

const char* const off = nullptr;
constexpr auto Include = InputError::IncludeNumbers, Exclude = InputError::ExcludeNumbers,
               Previous = InputError::PreviousDraw;

TEST(Validation, ReportsTheFirstFailedCheck) {
    struct Case {
        const char *include1, *include2, *exclude1, *exclude2, *previousDraw; // off: unticked
        std::optional<InputError> fixedChecks, overall; // overall adds the satisfiability checks
    };
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
        std::string row; // what was typed, as the row's name
        for (auto [name, text, input] : {std::tuple{"include", c.include1, &inputs.include1},
                                         {"include2", c.include2, &inputs.include2},
                                         {"exclude", c.exclude1, &inputs.exclude1},
                                         {"exclude2", c.exclude2, &inputs.exclude2},
                                         {"previous", c.previousDraw, &inputs.previousDraw}}) {
            *input = {text != nullptr, text ? text : ""};
            row += text ? std::string(name) + " '" + text + "' " : "";
        }
        const PredictionSettings settings = settingsFromInputs(inputs);
        EXPECT_EQ(checkTypedRanges(settings), c.fixedChecks) << row;
        EXPECT_EQ(validate(settings, PassingSet(settings).counts()), c.overall) << row;
    }
}

} // namespace
} // namespace numir
