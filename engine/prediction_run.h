// One press of Start, minus the window: validate the settings, open the prediction file
// and search. A refused run touches neither the file nor the random source. Turning the
// outcome into text on the screen is left to the window.
#pragma once

#include "candidate_search.h"
#include "input_validation.h"
#include "file/prediction_file.h"
#include "prediction_settings.h"
#include "random_source.h"

#include <limits>
#include <string>
#include <variant>

namespace numir {

// The report text on success, or why the run stopped.
using PredictionOutcome =
    std::variant<std::string, InputError, FileError, SearchStopped, AttemptLimitReached>;

PredictionOutcome
runPrediction(const PredictionSettings& settings, PredictionFile& file, RandomSource& random,
              std::int32_t attemptLimit = std::numeric_limits<std::int32_t>::max());

} // namespace numir
