// Counts exactly how many of the 6,096,454 combinations pass the fixed filters, split by
// the parity of their sum, and lists them when there are few. Counting walks the numbers
// once (a table of ways by count, sum and numbers shared with the previous draw) instead
// of every combination. What to do with the counts is left to validation and the search.
#pragma once

#include "combination_filter.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace numir {

struct PassingCounts {
    std::int64_t even = 0;
    std::int64_t odd = 0;
};

// The most lines a run can ever write: every even line, and odd ones up to the quota.
std::int64_t reachableLines(PassingCounts counts, int oddSumQuota);

class PassingSet {
  public:
    explicit PassingSet(const PredictionSettings& settings);

    PassingCounts counts() const { return counts_; }

    // Every passing combination as a number mask, ascending by its smallest numbers; nothing
    // when there are more than the limit.
    std::optional<std::vector<NumberMask>> list(std::int64_t limit) const;

  private:
    static constexpr int maxSum = highestSum; // no larger sum is ever asked for
    // Numbers shared with the previous draw, 0 or 1: a combination that shares more never
    // passes, and leaving it out keeps the table small enough for the heap to reuse.
    static constexpr int sharedLevels = 2;

    std::size_t index(int from, int picks, int shared, int sum) const;
    // Ways to pick `picks` numbers from from..43 sharing exactly `shared` with the previous
    // draw, with a sum in lo..hi.
    std::int64_t ways(int from, int picks, int shared, int lo, int hi) const;
    void walk(int from, int picks, int shared, int sum, NumberMask chosen,
              std::vector<NumberMask>& out) const;

    NumberMask allowed_ = 0;                 // numbers a passing combination may hold
    NumberMask required_ = 0;                // numbers it must hold
    std::array<int, 44> weight_{};           // pieces of the previous draw equal to the number
    std::array<NumberMask, 2> withWeight_{}; // the numbers of weight 0, and of weight 1
    int sharedWanted_ = 0;
    bool impossible_ = false;
    // Cumulative over the sum: ways with a sum of at most s.
    std::vector<std::int32_t> cumulative_;
    PassingCounts counts_;
};

} // namespace numir
