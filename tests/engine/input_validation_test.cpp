// The fixed checks in their order, each refusal naming the field at fault.
#include "settings/input_validation.h"

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
        auto typed = [](const std::optional<std::string>& text) {
            return TypedNumber{text.has_value(), text.value_or("")};
        };
        TypedInputs inputs;
        inputs.include1 = typed(c.include1), inputs.include2 = typed(c.include2);
        inputs.exclude1 = typed(c.exclude1), inputs.exclude2 = typed(c.exclude2);
        inputs.previousDraw = typed(c.previousDraw);
        PredictionSettings settings = settingsFromInputs(inputs);
        std::string row; // what was typed, as the row's name
        for (auto [name, text] : {std::pair{"include", c.include1},
                                  {"include2", c.include2},
                                  {"exclude", c.exclude1},
                                  {"exclude2", c.exclude2},
                                  {"previous", c.previousDraw}})
            row += text ? std::string(name) + " '" + *text + "' " : "";
        EXPECT_EQ(checkTypedRanges(settings), c.fixedChecks) << row;
        EXPECT_EQ(validate(settings, PassingSet(settings).counts()), c.overall) << row;
    }
}

} // namespace
} // namespace numir
