#include "passing_set.h"

#include <algorithm>
#include <numeric>

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
        if (weight_[static_cast<std::size_t>(n)] < 2)
            withWeight_[static_cast<std::size_t>(weight_[static_cast<std::size_t>(n)])] |=
                numberBit(n);
    }
    if ((required_ & ~allowed_) != 0)
        impossible_ = true;

    // ways[from][picks][shared][sum], built from the top number down: a level is the one above
    // (unless its number must be taken) plus, where its number may be taken, the rows of one
    // pick fewer shifted by the number. Whole rows at a time, which the compiler does best.
    constexpr std::size_t row = maxSum + 1, level = 7 * sharedLevels * row;
    cumulative_.assign(45 * level, 0);
    cumulative_[44 * level] = 1;
    for (int from = 43; from >= 1; --from) {
        std::int32_t* here = cumulative_.data() + static_cast<std::size_t>(from) * level;
        const std::int32_t* above = here + level;
        if ((required_ & numberBit(from)) == 0)
            std::copy(above, above + level, here);
        if ((allowed_ & numberBit(from)) == 0)
            continue;
        const int weight = weight_[static_cast<std::size_t>(from)];
        for (int picks = 1; picks <= 6; ++picks)
            for (int restShared = 0; restShared < sharedLevels; ++restShared) {
                const int shared = restShared + weight;
                if (shared >= sharedLevels)
                    continue;
                std::int32_t* to =
                    here + static_cast<std::size_t>(picks * sharedLevels + shared) * row;
                const std::int32_t* rest =
                    above + static_cast<std::size_t>((picks - 1) * sharedLevels + restShared) * row;
                for (int sum = from; sum <= maxSum; ++sum)
                    to[sum] += rest[sum - from];
            }
    }
    // Until now the table held the ways for each exact sum; make it cumulative.
    for (auto start = cumulative_.begin(); start != cumulative_.end(); start += row)
        std::partial_sum(start, start + row, start);

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
    if (picks == 1) { // most of the walk ends here, so the last number is found without the table
        const NumberMask toCome = required_ & ~(numberBit(from) - 1);
        const int wanted = sharedWanted_ - shared;
        const int first = std::max(from, lowestSum - sum), last = std::min(43, highestSum - sum);
        NumberMask candidates = 0;
        if (first <= last && wanted >= 0 && wanted < 2 && (toCome & (toCome - 1)) == 0)
            candidates = allowed_ & ((numberBit(last) << 1) - numberBit(first)) &
                         withWeight_[static_cast<std::size_t>(wanted)] & (toCome ? toCome : ~0ull);
        for (; candidates != 0; candidates &= candidates - 1)
            out.push_back(chosen | (candidates & ~(candidates - 1)));
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
