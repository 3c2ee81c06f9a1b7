#include "candidate_search.h"
#include "scripted_random.h"
#include "temp_folder.h"

#include <bit>
#include <cmath>
#include <gtest/gtest.h>
#include <numeric>
#include <random>

namespace numir {
namespace {

using testing::ScriptedRandom;
using testing::unitsDrawing;

// The drawing procedure done the plain way: refill, pick the r-th, shift the rest down.
std::array<int, 6> drawThePlainWay(const SixUnits& units) {
    std::vector<int> pool(43);
    std::iota(pool.begin(), pool.end(), 1);
    std::array<int, 6> picks{};
    for (std::size_t t = 0; t < 6; ++t) {
        double n = static_cast<double>(pool.size());
        auto r = static_cast<std::size_t>(std::floor(static_cast<double>(units[t]) * n + 1));
        picks[t] = pool[r - 1];
        pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(r - 1));
    }
    std::sort(picks.begin(), picks.end());
    return picks;
}

TEST(DrawCandidate, PicksTheRthRemainingNumber) {
    const float belowOne = std::nextafter(1.0f, 0.0f);
    const std::pair<SixUnits, std::string> cases[] = {
        {{0, 0, 0, 0, 0, 0}, "010203040506"},
        {{belowOne, belowOne, belowOne, belowOne, belowOne, belowOne}, "383940414243"},
        // r = 22, 22, 21, 21, 20, 20 pick 22, 23, 21, 24, 20, 25.
        {{0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f}, "202122232425"},
    };
    for (const auto& [units, line] : cases)
        EXPECT_EQ(lineText(drawCandidate(units)), line);
}

TEST(DrawCandidate, MatchesThePlainProcedureForRandomValues) {
    std::mt19937 engine(20261206);
    std::uniform_int_distribution<std::uint32_t> bits(0, (1u << 24) - 1);
    for (int i = 0; i < 200000; ++i) {
        SixUnits units{};
        for (float& u : units)
            u = static_cast<float>(bits(engine)) / 16777216.0f;
        Candidate candidate = drawCandidate(units);
        std::array<int, 6> expected = drawThePlainWay(units);
        ASSERT_EQ(candidate.ascending(), expected);
        ASSERT_EQ(std::popcount(candidate.numbers), 6);
        ASSERT_EQ(candidate.sum, std::accumulate(expected.begin(), expected.end(), 0));
    }
}

class SearchTest : public ::testing::Test {
  protected:
    RunOutcome run(const PredictionSettings& settings, std::vector<SixUnits> script,
                   std::int32_t attemptLimit = 1000) {
        random = std::make_unique<ScriptedRandom>(std::move(script));
        PredictionFile file(folder / "numir.txt");
        if (auto error = file.openForRun(false))
            ADD_FAILURE() << error->reason;
        return CandidateSearch(settings, attemptLimit).run(file, *random);
    }
    std::string lines() const { return testing::readWholeFile(folder / "numir.txt"); }

    testing::TempFolder folder;
    std::unique_ptr<ScriptedRandom> random;
};

PredictionSettings preset(int target, int quota) {
    PredictionSettings settings;
    settings.targetCount = static_cast<std::int16_t>(target);
    settings.oddSumQuota = static_cast<std::int16_t>(quota);
    return settings;
}

// Even sums, all within range, drawn in an unsorted order.
const std::array<int, 6> evenA{40, 3, 22, 17, 30, 8};   // 120
const std::array<int, 6> evenB{11, 12, 13, 14, 25, 43}; // 118
const std::array<int, 6> evenC{20, 21, 22, 23, 24, 26}; // 136
const std::array<int, 6> evenD{5, 15, 25, 35, 36, 42};  // 158
const std::array<int, 6> oddA{1, 20, 21, 22, 23, 24};   // 111
const std::array<int, 6> oddB{2, 20, 21, 22, 23, 25};   // 113
const std::array<int, 6> oddC{3, 20, 21, 22, 23, 26};   // 115

TEST_F(SearchTest, WritesSortedZeroPaddedLinesAndCountsEveryDraw) {
    auto outcome =
        run(preset(5, 1), {unitsDrawing(evenA), unitsDrawing(evenB), unitsDrawing(evenA),
                           unitsDrawing(evenC), unitsDrawing(oddA), unitsDrawing(evenD)});
    EXPECT_EQ(std::get<std::string>(outcome), runReport(6));
    EXPECT_EQ(lines(), "030817223040\r\n111213142543\r\n202122232426\r\n"
                       "012021222324\r\n051525353642\r\n");
    EXPECT_EQ(random->reseeds, 1);
}

TEST_F(SearchTest, SecondOddSumIsRefusedUnderTheFiveQuota) {
    run(preset(5, 1),
        {unitsDrawing(oddA), unitsDrawing(oddB), unitsDrawing(evenA), unitsDrawing(evenB),
         unitsDrawing(evenC), unitsDrawing(oddC), unitsDrawing(evenD)});
    EXPECT_EQ(lines(), "012021222324\r\n030817223040\r\n111213142543\r\n202122232426\r\n"
                       "051525353642\r\n");
}

TEST_F(SearchTest, RepeatedOddCandidateStillUsesUpQuota) {
    // Quota 3: oddA, its repeat and oddB use it up, so oddC is refused.
    std::vector<SixUnits> script{unitsDrawing(oddA), unitsDrawing(oddA),  unitsDrawing(oddB),
                                 unitsDrawing(oddC), unitsDrawing(evenA), unitsDrawing(evenB)};
    auto outcome = run(preset(4, 3), script);
    EXPECT_EQ(std::get<std::string>(outcome), runReport(6));
    EXPECT_EQ(lines(), "012021222324\r\n022021222325\r\n030817223040\r\n111213142543\r\n");
}

TEST_F(SearchTest, SumBoundsAreInclusive) {
    const std::array<int, 6> sum109{5, 10, 15, 20, 25, 34}, sum110{5, 10, 15, 20, 25, 35},
        sum165{15, 20, 25, 30, 35, 40}, sum166{15, 20, 25, 30, 35, 41};
    // 109 is refused before the quota, so 165 is still the run's first odd sum.
    run(preset(2, 1),
        {unitsDrawing(sum109), unitsDrawing(sum166), unitsDrawing(sum110), unitsDrawing(sum165)});
    EXPECT_EQ(lines(), "051015202535\r\n152025303540\r\n");
}

TEST_F(SearchTest, PreviousDrawMustShareExactlyOneNumber) {
    PredictionSettings settings = preset(1, 1);
    settings.previousDrawOn = true;
    settings.previousDrawText = U"010203040506";
    const std::array<int, 6> sharesTwo{1, 2, 30, 31, 32, 34}, sharesNone{20, 21, 22, 23, 24, 26},
        sharesOne{3, 20, 21, 22, 23, 25};
    auto outcome =
        run(settings, {unitsDrawing(sharesTwo), unitsDrawing(sharesNone), unitsDrawing(sharesOne)});
    EXPECT_EQ(std::get<std::string>(outcome), runReport(3));
    EXPECT_EQ(lines(), "032021222325\r\n");
}

TEST_F(SearchTest, ExcludeAndIncludeFiltersMatchTypedValues) {
    PredictionSettings settings = preset(1, 1);
    settings.exclude1 = {true, 40};
    settings.include1 = {true, 43};
    settings.include2 = {true, 12.5}; // matched as 12
    run(settings, {unitsDrawing(evenA), unitsDrawing(evenB)});
    EXPECT_EQ(lines(), "111213142543\r\n");
}

TEST_F(SearchTest, StopsBeforeTheAttemptsCounterCouldWrap) {
    auto outcome = run(preset(2, 1), {unitsDrawing(evenA)}, 1000);
    ASSERT_TRUE(std::holds_alternative<AttemptLimitReached>(outcome));
    EXPECT_EQ(std::get<AttemptLimitReached>(outcome).attempts, 1000);
    EXPECT_EQ(random->drawn, 1000);
    EXPECT_EQ(lines(), "030817223040\r\n"); // closed, with what was accepted before
}

TEST(Search, AcceptedFractionalIncludeNeverMatches) {
    PredictionSettings settings = preset(1, 1);
    settings.include1 = {true, 7.5};
    CombinationFilter filter(settings);
    Candidate withSeven = drawCandidate(unitsDrawing({7, 8, 20, 25, 30, 35}));
    EXPECT_FALSE(filter.passes(withSeven.numbers, withSeven.sum));
}

} // namespace
} // namespace numir
