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

// The eight presets in the order of their buttons Option3..Option10 (Option9 is 30).
inline constexpr std::array<CountPreset, 8> countPresets{
    {{5, 1}, {10, 3}, {20, 6}, {50, 15}, {100, 30}, {200, 60}, {30, 8}, {500, 190}}};

inline constexpr CountPreset defaultCountPreset{10, 3};

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

// The window's state as text and flags, so the settings can be filled without a window.
struct TypedInputs {
    std::optional<int> selectedPreset; // index into countPresets
    bool check1 = false, check2 = false, check3 = false, check4 = false, check5 = false;
    std::string text1, text2, text3, text5, text6; // UTF-8
    bool option1 = false;
};

PredictionSettings settingsFromInputs(const TypedInputs& inputs);

// The lottery number a typed value stands for: drawn numbers are whole numbers 1..43, so
// only such a value can ever equal one.
std::optional<int> drawableNumber(double value);

} // namespace numir
