// The exact counts against a walk over all 6,096,454 combinations through the search's own
// filters, those filters against their rules read literally, and validation refusing exactly
// the settings whose preset asks for more lines than a run could ever write.
#include "search/candidate_draw.h"
#include "settings/input_validation.h"
#include "settings/passing_set.h"
#include "test_support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>
#include <random>
#include <vector>

namespace numir {
namespace {

using testing::settings;

// Visits every combination of `left` more numbers from `from` up, one by one.
template <class Visit>
void eachCombination(Visit& visit, int left = 6, int from = 1, NumberMask mask = 0, int sum = 0) {
    if (left == 0)
        return visit(mask, sum);
    for (int n = from; n <= 44 - left; ++n)
        eachCombination(visit, left - 1, n + 1, mask | numberBit(n), sum + n);
}

// The fixed filters as their rules read, on the typed values: the exclusions and include 1
// by numeric equality, include 2 as its whole number, exactly one pair of a previous-draw
// piece and an equal number, and the sum within 110..165.
bool passesAsTyped(const PredictionSettings& s, NumberMask numbers) {
    std::array<double, 6> picks{};
    for (int n = 1, t = 0; n <= 43; ++n)
        if (numbers & numberBit(n))
            picks[static_cast<std::size_t>(t++)] = n;
    auto has = [&](double value) { return std::count(picks.begin(), picks.end(), value) > 0; };
    const double sum = std::accumulate(picks.begin(), picks.end(), 0.0);
    int shared = 0;
    for (double piece : s.previousDraw())
        shared += has(piece) ? 1 : 0;
    return !(s.exclude1.on && has(s.exclude1.value)) && !(s.exclude2.on && has(s.exclude2.value)) &&
           !(s.include1.on && !has(s.include1.value)) &&
           !(s.include2.on && !has(*s.include2Whole())) && !(s.previousDrawOn && shared != 1) &&
           sum >= 110 && sum <= 165;
}

// Narrow settings (a few hundred combinations or fewer), wide ones and random mixtures.
std::vector<PredictionSettings> sampleSettings() {
    std::vector<PredictionSettings> list{settings(0, 0, 0, 0), settings(7.5, 0, 0, 0),
                                         settings(0, 0, 0, 0, U"000000000000"),
                                         settings(43, 42, 0, 0, U"430102030405")};
    for (const char32_t* piece : {U"03", U"04", U"05", U"06", U"08", U"12"})
        for (auto [e1, e2] : {std::pair{0, 0}, {43, 42}, {41, 40}, {43, 41}, {39, 38}})
            list.push_back(settings(1, 2, e1, e2, std::u32string(U"0000000000") + piece));
    const double numbers[] = {0, 0, 0, 0.5, 1, 2, 3, 7, 7.5, 8, 36, 38, 41, 42, 43};
    const char32_t* pieces[] = {U"00", U"01", U"03", U"07", U"38", U"42", U"44", U"ab"};
    std::mt19937 engine(6096454);
    auto pick = [&](const auto& range) { return range[engine() % std::size(range)]; };
    while (list.size() < 70) {
        std::u32string draw;
        if (engine() % 5 < 3) // on in three settings of five
            for (int piece = 0; piece < 6; ++piece)
                draw += pick(pieces);
        PredictionSettings s =
            settings(pick(numbers), pick(numbers), pick(numbers), pick(numbers), draw);
        if (!checkTypedRanges(s))
            list.push_back(s);
    }
    return list;
}

TEST(PassingCounts, RefusalMatchesAPlainEnumerationForEveryPreset) {
    int refusedForCount = 0, passed = 0;
    for (const PredictionSettings& base : sampleSettings()) {
        SCOPED_TRACE(testing::described(base));
        std::vector<NumberMask> plainList;
        PassingCounts plain;
        std::size_t visited = 0;
        auto countPassing = [&, filter = CombinationFilter(base)](NumberMask mask, int sum) {
            const bool passes = filter.passes(mask, sum);
            // Every passing one of a narrow setting, and one in 61 of the rest, read literally.
            if ((passes && plainList.size() < 5000) || ++visited % 61 == 0) {
                EXPECT_EQ(passes, passesAsTyped(base, mask)) << lineText(mask);
            }
            if (passes)
                plainList.push_back(mask), ++(sum % 2 == 0 ? plain.even : plain.odd);
        };
        eachCombination(countPassing);
        PassingSet passing(base);
        ASSERT_EQ(passing.counts().even, plain.even);
        ASSERT_EQ(passing.counts().odd, plain.odd);
        auto listed = passing.list(5000);
        EXPECT_EQ(listed.value_or(plainList), plainList);
        EXPECT_EQ(listed.has_value(), plainList.size() <= 5000);
        bool empty = plain.even + plain.odd == 0;
        EXPECT_EQ(checkSatisfiable(base).has_value(), empty);
        if (empty) // refused already, for the field at fault
            continue;
        // Each preset's target, and the exact boundary of what a run can reach with its quota.
        for (CountPreset preset : countPresets) {
            PredictionSettings s = base;
            s.oddSumQuota = preset.oddSumQuota;
            std::int64_t reachable = plain.even + std::min<std::int64_t>(plain.odd, s.oddSumQuota);
            for (std::int64_t target :
                 {std::int64_t{preset.targetCount}, reachable, reachable + 1}) {
                if (target > 500) // beyond every preset
                    continue;
                s.targetCount = static_cast<std::int16_t>(target);
                bool tooMany = target > reachable;
                EXPECT_EQ(validate(s, passing.counts()),
                          tooMany ? std::optional(InputError::CountPreset) : std::nullopt);
                (tooMany ? refusedForCount : passed) += 1;
            }
        }
    }
    // The sample must exercise both answers for the comparison to mean anything.
    EXPECT_GE(refusedForCount, 20);
    EXPECT_GE(passed, 30);
}

} // namespace
} // namespace numir
