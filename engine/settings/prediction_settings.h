// One run's inputs, gathered from what the user typed and ticked when Start is pressed.
// Holds the count presets and cuts the previous-draw text into its six numbers. Deciding
// whether the settings make sense is left to the validation, drawing to the search.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace numir {

struct CountPreset {
    std::int16_t targetCount;
    std::int16_t oddSumQuota;
};

// The eight presets: the count of lines, and how many of them may have an odd sum, which is
// not a fixed share (500 lines allow 190).
inline constexpr std::array<CountPreset, 8> countPresets{
    {{5, 1}, {10, 3}, {20, 6}, {30, 8}, {50, 15}, {100, 30}, {200, 60}, {500, 190}}};

inline constexpr CountPreset defaultCountPreset{10, 3};

// The preset for a count of lines; nothing for a count no preset offers.
std::optional<CountPreset> presetFor(int targetCount);

// A number switched on by its check box; the value is only read while it is on.
struct OptionalNumber {
    bool on = false;
    double value = 0.0;
};

using PreviousDraw = std::array<double, 6>;

struct PredictionSettings {
    std::int16_t targetCount = defaultCountPreset.targetCount;
    std::int16_t oddSumQuota = defaultCountPreset.oddSumQuota;
    OptionalNumber exclude1;
    OptionalNumber exclude2;
    OptionalNumber include1;
    OptionalNumber include2;
    bool previousDrawOn = false;
    std::u32string previousDrawText; // trimmed
    bool append = false;

    // include-2 rounded half to even, only once it is known to lie within 1..43.
    std::optional<int> include2Whole() const;
    // The six pieces of the previous-draw text; pieces past its end are empty (value 0).
    PreviousDraw previousDraw() const;
};

// What the user typed into a field and whether its check box is ticked.
struct TypedNumber {
    bool on = false;
    std::string text; // UTF-8
};

// The settings as typed and chosen, so that they can be filled without a window.
struct TypedInputs {
    std::optional<int> presetCount; // the count of the chosen preset
    TypedNumber exclude1, exclude2, include1, include2;
    TypedNumber previousDraw; // twelve digits
    bool append = false;
};

PredictionSettings settingsFromInputs(const TypedInputs& inputs);

// The lottery number a typed value stands for: drawn numbers are whole numbers 1..43, so
// only such a value can ever equal one.
std::optional<int> drawableNumber(double value);

} // namespace numir
