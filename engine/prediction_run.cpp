#include "prediction_run.h"

namespace numir {

PredictionOutcome runPrediction(const PredictionSettings& settings, PredictionFile& file,
                                RandomSource& random, std::int32_t attemptLimit) {
    if (auto error = validate(settings))
        return *error;
    file.openForRun(settings.append);
    RunOutcome outcome = CandidateSearch(settings, attemptLimit).run(file, random);
    return std::visit([](auto&& value) -> PredictionOutcome { return value; }, std::move(outcome));
}

} // namespace numir
