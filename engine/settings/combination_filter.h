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

// What the filters ask of a combination, as masks.
struct FilterRules {
    NumberMask excluded = 0;
    NumberMask included = 0;
    bool includeUnmatchable = false; // an include number that no drawn number can equal
    bool previousDrawOn = false;
    // Level k holds the numbers that stand more than k times in the previous draw, so
    // repeated pieces count once per piece, as pairs of piece and pick do.
    std::array<NumberMask, 6> previousDrawLevels{};

    int previousDrawWeight(int number) const;
};

class CombinationFilter {
  public:
    explicit CombinationFilter(const PredictionSettings& settings);

    const FilterRules& rules() const { return rules_; }

    // numbers: the six drawn numbers as a mask; sum: their total.
    bool passes(NumberMask numbers, int sum) const {
        if ((numbers & rules_.excluded) != 0 || (numbers & rules_.included) != rules_.included ||
            rules_.includeUnmatchable)
            return false;
        if (rules_.previousDrawOn && !sharesExactlyOne(numbers))
            return false;
        return sum >= lowestSum && sum <= highestSum;
    }

  private:
    // One piece of the previous draw equal to one pick: one number of the first level, and
    // none that stands there twice. No popcount, which plain x86-64 lacks.
    bool sharesExactlyOne(NumberMask numbers) const {
        NumberMask shared = numbers & rules_.previousDrawLevels[0];
        return shared != 0 && (shared & (shared - 1)) == 0 &&
               (numbers & rules_.previousDrawLevels[1]) == 0;
    }

    FilterRules rules_;
};

} // namespace numir
