// One press of Start, minus the window: validate the settings, search, and write the lines
// to the prediction file in one step. A refused run touches neither the file nor the random
// source. Turning the outcome into text on the screen is left to the window.
#pragma once

#include "file/prediction_file.h"
#include "random/random_source.h"
#include "search/candidate_search.h"
#include "settings/input_validation.h"
#include "settings/prediction_settings.h"

#include <limits>
#include <variant>

namespace numir {

// The lines are on the disk, drawn from this many combinations.
struct RunWritten {
    std::int32_t attempts;
};

using PredictionOutcome =
    std::variant<RunWritten, InputError, FileError, SearchStopped, AttemptLimitReached>;

PredictionOutcome
runPrediction(const PredictionSettings& settings, const PredictionFile& file, RandomSource& random,
              std::int32_t attemptLimit = std::numeric_limits<std::int32_t>::max());

} // namespace numir
