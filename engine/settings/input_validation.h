// Checks one run's settings before anything is drawn or written, and names the first
// field at fault. What the user is told is left to the window.
#pragma once

#include "passing_set.h"
#include "prediction_settings.h"

#include <optional>

namespace numir {

enum class InputError { IncludeNumbers, ExcludeNumbers, PreviousDraw, CountPreset };

// The fixed checks on ranges, the previous-draw text and the include numbers, in order.
std::optional<InputError> checkTypedRanges(const PredictionSettings& settings);

// Refuses settings that no combination can satisfy, so a run always ends. Only
// meaningful once checkTypedRanges has passed.
std::optional<InputError> checkSatisfiable(const PredictionSettings& settings);

// Refuses a preset larger than the lines the filters leave a run: every even line and odd
// ones up to the quota. Only meaningful once the checks above have passed.
std::optional<InputError> checkCountReachable(const PredictionSettings& settings,
                                              PassingCounts counts);

// All of the above, in that order; counts are the settings' own passing counts.
std::optional<InputError> validate(const PredictionSettings& settings, PassingCounts counts);

} // namespace numir
