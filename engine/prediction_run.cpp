#include "prediction_run.h"

namespace numir {

PredictionOutcome runPrediction(const PredictionSettings& settings, const PredictionFile& file,
                                RandomSource& random, std::int32_t attemptLimit) {
    const PassingSet passing(settings); // counted once, for validation and the search
    if (auto error = validate(settings, passing.counts()))
        return *error;
    SearchOutcome outcome = searchCandidates(settings, passing, random, attemptLimit);
    if (auto* stopped = std::get_if<SearchStopped>(&outcome))
        return *stopped;
    if (auto* limit = std::get_if<AttemptLimitReached>(&outcome))
        return *limit;
    const SearchFinished& found = std::get<SearchFinished>(outcome);
    if (auto error = file.write(found.lines, settings.append))
        return *error;
    return RunWritten{found.attempts};
}

} // namespace numir
