// Draws random combinations until the run's target count of them has passed every filter,
// and stops the moment the target can no longer be reached. Returns the lines and the number
// of attempts, or why there are none; which settings are acceptable is validation's, writing
// the lines PredictionFile's.
//
// Where the passing combinations are few enough to list, the search samples the plain
// process exactly instead of drawing every attempt: an attempt changes the run only when it
// draws a combination that is still open (a passing one not yet written with an even sum, or
// any passing one with an odd sum while quota is left); the attempts up to the next such one
// follow a geometric law, and that combination is uniform over the open ones. The lines, the
// attempts and whether the run finishes, stops or meets the limit then follow exactly the law
// of drawing attempt after attempt, at a cost that grows with the lines, not the attempts.
#pragma once

#include "random/random_source.h"
#include "settings/passing_set.h"
#include "settings/prediction_settings.h"

#include <cstdint>
#include <limits>
#include <string>
#include <variant>
#include <vector>

namespace numir {

struct SearchFinished {
    std::vector<std::string> lines; // twelve digits each, in the order they were accepted
    std::int32_t attempts;
};

// Too many odd-sum draws were repeats: even with luck the run can no longer reach its count.
struct SearchStopped {
    std::int32_t attempts;
};

// The search gave up rather than let its attempts counter wrap.
struct AttemptLimitReached {
    std::int32_t attempts;
};

using SearchOutcome = std::variant<SearchFinished, SearchStopped, AttemptLimitReached>;

// Up to this many passing combinations the search samples them; beyond it, at least one
// attempt in 61 passes the filters and drawing every attempt is as quick as listing them.
inline constexpr std::int64_t sampledSetLimit = 100000;

// Reseeds the random source once, then searches.
SearchOutcome
searchCandidates(const PredictionSettings& settings, const PassingSet& passing,
                 RandomSource& random,
                 std::int32_t attemptLimit = std::numeric_limits<std::int32_t>::max());

} // namespace numir
