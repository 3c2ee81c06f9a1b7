// The fixed filters a drawn combination must pass that do not depend on the run so far:
// exclusions, inclusions, exactly one number of the previous draw, and the sum range.
// The odd-sum quota and the repeat test belong to the search.
#pragma once

#include "prediction_settings.h"

#include <array>
#include <cstdint>

namespace numir {

using NumberMask = std::uint64_t; // bit n set for lottery number n

constexpr NumberMask numberBit(int number) {
    return NumberMask{1} << number;
}

inline constexpr int lowestSum = 110;
inline constexpr int highestSum = 165;

class CombinationFilter {
  public:
    explicit CombinationFilter(const PredictionSettings& settings);

    // numbers: the six drawn numbers as a mask; sum: their total.
    bool passes(NumberMask numbers, int sum) const {
        if ((numbers & excluded_) != 0 || (numbers & included_) != included_ || includeUnmatchable_)
            return false;
        if (previousDrawOn_ && sharedWithPreviousDraw(numbers) != 1)
            return false;
        return sum >= lowestSum && sum <= highestSum;
    }

  private:
    int sharedWithPreviousDraw(NumberMask numbers) const;

    NumberMask excluded_ = 0;
    NumberMask included_ = 0;
    bool includeUnmatchable_ = false;
    bool previousDrawOn_ = false;
    // Level k holds the numbers that stand more than k times in the previous draw, so
    // repeated pieces count once per piece, as pairs of piece and pick do.
    std::array<NumberMask, 6> previousDrawLevels_{};
};

} // namespace numir
