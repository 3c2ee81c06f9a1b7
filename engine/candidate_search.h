// Draws random combinations until the run's target count of them has passed every filter,
// handing each one to the prediction file the moment it is accepted, and stops the moment
// the target can no longer be reached. Which settings are acceptable is left to the
// validation, the file format to PredictionFile.
#pragma once

#include "combination_filter.h"
#include "first_picks.h"
#include "parallel_sieve.h"
#include "passing_set.h"
#include "file/prediction_file.h"
#include "prediction_settings.h"
#include "random_source.h"

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <variant>

namespace numir {

// Too many odd-sum draws were repeats: even with luck the run can no longer reach its count.
struct SearchStopped {
    std::int32_t attempts;
};

// The search gave up rather than let its attempts counter wrap.
struct AttemptLimitReached {
    std::int32_t attempts;
};

using RunOutcome = std::variant<std::string, FileError, SearchStopped, AttemptLimitReached>;

struct Candidate {
    NumberMask numbers = 0; // the six numbers
    int sum = 0;

    std::array<int, 6> ascending() const;
};

// Six numbers without replacement: u picks the r-th number not yet drawn, r = floor(u*n + 1)
// with n = 43, 42, ..., 38.
Candidate drawCandidate(const SixUnits& units);

// Two digits per number, ascending, no separators.
std::string lineText(const Candidate& candidate);

// Up to this many passing combinations the search keeps them in LivePrefixes; beyond it
// a run is short anyway.
inline constexpr std::int64_t livePrefixLimit = 20000;

class CandidateSearch {
  public:
    // path: the vector code that screens the program's own source; threads: how many
    // threads screen a long run. Measurements and tests choose; the program takes the
    // fastest path and every logical processor.
    explicit CandidateSearch(const PredictionSettings& settings,
                             std::int32_t attemptLimit = std::numeric_limits<std::int32_t>::max(),
                             ScreenPath path = fastestScreenPath(), SearchThreads threads = {});

    RunOutcome run(PredictionFile& file, RandomSource& random) const;

  private:
    PredictionSettings settings_;
    CombinationFilter filter_;
    PassingSet passing_;
    std::int32_t attemptLimit_;
    ScreenPath path_;
    SearchThreads threads_;
};

} // namespace numir
