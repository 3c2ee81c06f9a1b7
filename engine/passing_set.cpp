#include "passing_set.h"

#include <algorithm>

namespace numir {

std::int64_t reachableLines(PassingCounts counts, int oddSumQuota) {
    return counts.even + std::min<std::int64_t>(counts.odd, std::max(oddSumQuota, 0));
}

PassingSet::PassingSet(const PredictionSettings& settings) {
    CombinationFilter filter(settings);
    FilterRules rules = filter.rules();
    impossible_ = rules.includeUnmatchable;
    required_ = rules.included;
    sharedWanted_ = rules.previousDrawOn ? 1 : 0;
    for (int n = 1; n <= 43; ++n) {
        if ((rules.excluded & numberBit(n)) == 0)
            allowed_ |= numberBit(n);
        weight_[static_cast<std::size_t>(n)] = rules.previousDrawWeight(n);
    }
    if ((required_ & ~allowed_) != 0)
        impossible_ = true;

    // ways[from][picks][shared][sum], built from the top number down.
    cumulative_.assign(index(45, 0, 0, 0), 0);
    cumulative_[index(44, 0, 0, 0)] = 1;
    for (int from = 43; from >= 1; --from) {
        const bool mayTake = (allowed_ & numberBit(from)) != 0;
        const bool mustTake = (required_ & numberBit(from)) != 0;
        const int weight = weight_[static_cast<std::size_t>(from)];
        for (int picks = 0; picks <= 6; ++picks)
            for (int shared = 0; shared < sharedLevels; ++shared)
                for (int sum = 0; sum <= maxSum; ++sum) {
                    std::int32_t total =
                        mustTake ? 0 : cumulative_[index(from + 1, picks, shared, sum)];
                    cumulative_[index(from, picks, shared, sum)] = total;
                }
        if (!mayTake)
            continue;
        for (int picks = 1; picks <= 6; ++picks)
            for (int restShared = 0; restShared < sharedLevels; ++restShared) {
                int shared = std::min(restShared + weight, sharedLevels - 1);
                for (int sum = from; sum <= maxSum; ++sum)
                    cumulative_[index(from, picks, shared, sum)] +=
                        cumulative_[index(from + 1, picks - 1, restShared, sum - from)];
            }
    }
    // Until now the table held the ways for each exact sum; make it cumulative.
    for (std::size_t row = 0; row < cumulative_.size(); row += maxSum + 1)
        for (std::size_t sum = 1; sum <= maxSum; ++sum)
            cumulative_[row + sum] += cumulative_[row + sum - 1];

    if (impossible_)
        return;
    for (int sum = lowestSum; sum <= highestSum; ++sum) {
        std::int64_t count = ways(1, 6, sharedWanted_, sum, sum);
        (sum % 2 == 0 ? counts_.even : counts_.odd) += count;
    }
}

std::size_t PassingSet::index(int from, int picks, int shared, int sum) const {
    return ((static_cast<std::size_t>(from) * 7 + static_cast<std::size_t>(picks)) * sharedLevels +
            static_cast<std::size_t>(shared)) *
               (maxSum + 1) +
           static_cast<std::size_t>(sum);
}

std::int64_t PassingSet::ways(int from, int picks, int shared, int lo, int hi) const {
    lo = std::max(lo, 0);
    hi = std::min(hi, maxSum);
    if (lo > hi || shared < 0 || shared >= sharedLevels)
        return 0;
    std::int64_t upTo = cumulative_[index(from, picks, shared, hi)];
    return lo == 0 ? upTo : upTo - cumulative_[index(from, picks, shared, lo - 1)];
}

std::optional<std::vector<NumberMask>> PassingSet::list(std::int64_t limit) const {
    if (counts_.even + counts_.odd > limit)
        return std::nullopt;
    std::vector<NumberMask> out;
    out.reserve(static_cast<std::size_t>(counts_.even + counts_.odd));
    if (!impossible_ && counts_.even + counts_.odd > 0)
        walk(1, 6, 0, 0, 0, out);
    return out;
}

// Chooses the next number of the combination, only where some completion passes, so the
// work grows with the number of passing combinations, not with all of them.
void PassingSet::walk(int from, int picks, int shared, int sum, NumberMask chosen,
                      std::vector<NumberMask>& out) const {
    if (picks == 0) {
        out.push_back(chosen);
        return;
    }
    for (int n = from; n <= 43; ++n) {
        const NumberMask bit = numberBit(n);
        if ((allowed_ & bit) != 0) {
            int nowShared = shared + weight_[static_cast<std::size_t>(n)];
            int restShared = sharedWanted_ - nowShared;
            if (nowShared <= sharedWanted_ &&
                ways(n + 1, picks - 1, restShared, lowestSum - sum - n, highestSum - sum - n) > 0)
                walk(n + 1, picks - 1, nowShared, sum + n, chosen | bit, out);
        }
        if ((required_ & bit) != 0)
            break; // a required number cannot be passed over
    }
}

} // namespace numir
