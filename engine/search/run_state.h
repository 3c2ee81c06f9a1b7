// What one run has done so far and what it can still do: the lines accepted, the odd-sum
// draws counted against the quota, and whether the target count is still within reach.
// Drawing and filtering are the search's.
#pragma once

#include "settings/combination_filter.h"
#include "settings/passing_set.h"
#include "settings/prediction_settings.h"

#include <algorithm>
#include <cstdint>
#include <unordered_set>

namespace numir {

class RunState {
  public:
    RunState(const PredictionSettings& settings, PassingCounts counts)
        : target_(settings.targetCount), quota_(settings.oddSumQuota), counts_(counts) {
        accepted_.reserve(static_cast<std::size_t>(std::max<std::int64_t>(target_, 0)) * 2);
    }

    bool finished() const { return static_cast<std::int64_t>(accepted_.size()) >= target_; }
    bool quotaLeft() const { return oddDraws_ < quota_; }
    bool isRepeat(NumberMask numbers) const { return accepted_.contains(numbers); }

    // An odd sum uses up quota even when the candidate later proves to be a repeat.
    bool takeOddDraw() { return ++oddDraws_ <= quota_; }
    void accept(NumberMask numbers, bool oddSum) {
        accepted_.insert(numbers);
        oddWritten_ += oddSum ? 1 : 0;
    }

    // Every even line can still be drawn; further odd ones only as far as the quota left
    // and the odd lines not yet written allow. Exact: luck can reach this many, no more.
    bool targetReachable() const {
        std::int64_t quotaRest = std::max<std::int64_t>(quota_ - oddDraws_, 0);
        std::int64_t oddRest = std::min(quotaRest, counts_.odd - oddWritten_);
        return counts_.even + oddWritten_ + oddRest >= target_;
    }

  private:
    std::int64_t target_;
    std::int64_t quota_;
    PassingCounts counts_;
    std::int64_t oddDraws_ = 0;
    std::int64_t oddWritten_ = 0;
    std::unordered_set<NumberMask> accepted_;
};

} // namespace numir
