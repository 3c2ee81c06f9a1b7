// Proves the exact counts against a plain walk over all 6,096,454 combinations through the
// search's own filters, and that validation refuses exactly the settings whose preset asks
// for more lines than a run could ever write.
#include "input_validation.h"
#include "passing_set.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace numir {
namespace {

// Counts, and lists when asked, every combination the filter passes, one by one.
PassingCounts countThePlainWay(const CombinationFilter& filter, std::vector<NumberMask>* list) {
    PassingCounts counts;
    for (int a = 1; a <= 38; ++a)
        for (int b = a + 1; b <= 39; ++b)
            for (int c = b + 1; c <= 40; ++c)
                for (int d = c + 1; d <= 41; ++d)
                    for (int e = d + 1; e <= 42; ++e)
                        for (int f = e + 1; f <= 43; ++f) {
                            NumberMask m = numberBit(a) | numberBit(b) | numberBit(c) |
                                           numberBit(d) | numberBit(e) | numberBit(f);
                            int sum = a + b + c + d + e + f;
                            if (!filter.passes(m, sum))
                                continue;
                            (sum % 2 == 0 ? counts.even : counts.odd) += 1;
                            if (list)
                                list->push_back(m);
                        }
    return counts;
}

PredictionSettings make(double include1, double include2, double exclude1, double exclude2,
                        std::u32string previousDraw) {
    PredictionSettings s;
    s.include1 = {include1 != 0, include1};
    s.include2 = {include2 != 0, include2};
    s.exclude1 = {exclude1 != 0, exclude1};
    s.exclude2 = {exclude2 != 0, exclude2};
    s.previousDrawOn = !previousDraw.empty();
    s.previousDrawText = std::move(previousDraw);
    return s;
}

// Narrow settings (two low includes and one piece of the previous draw leave a few hundred
// combinations, high excludes fewer still), wide ones and random mixtures.
std::vector<PredictionSettings> sampleSettings() {
    std::vector<PredictionSettings> list{make(0, 0, 0, 0, U""), make(7.5, 0, 0, 0, U""),
                                         make(0, 0, 0, 0, U"000000000000"),
                                         make(43, 42, 0, 0, U"430102030405")};
    const char32_t* pieces[] = {U"03", U"04", U"05", U"06", U"08", U"12"};
    for (const char32_t* piece : pieces)
        for (auto [e1, e2] : {std::pair{0, 0}, {43, 42}, {41, 40}, {43, 41}, {39, 38}})
            list.push_back(make(1, 2, e1, e2, std::u32string(U"0000000000") + piece));
    const double numbers[] = {0.5, 1, 2, 3, 7, 7.5, 8, 36, 38, 41, 42, 43};
    const std::u32string randomPieces[] = {U"00", U"01", U"03", U"07", U"38", U"42", U"44", U"ab"};
    std::mt19937 engine(6096454);
    auto pick = [&](const auto& range) {
        return range[std::uniform_int_distribution<std::size_t>(0, std::size(range) - 1)(engine)];
    };
    auto maybe = [&](double chance) { return std::bernoulli_distribution(chance)(engine); };
    while (list.size() < 70) {
        PredictionSettings s =
            make(maybe(0.6) ? pick(numbers) : 0, maybe(0.6) ? pick(numbers) : 0,
                 maybe(0.5) ? pick(numbers) : 0, maybe(0.5) ? pick(numbers) : 0, U"");
        s.previousDrawOn = maybe(0.6);
        for (int k = 0; s.previousDrawOn && k < 6; ++k)
            s.previousDrawText += pick(randomPieces);
        if (!checkTypedRanges(s))
            list.push_back(s);
    }
    return list;
}

TEST(PassingCounts, RefusalMatchesAPlainEnumerationForEveryPreset) {
    int refusedForCount = 0, passed = 0;
    for (const PredictionSettings& base : sampleSettings()) {
        std::vector<NumberMask> plainList;
        PassingCounts plain = countThePlainWay(CombinationFilter(base), &plainList);
        PassingSet passing(base);
        ASSERT_EQ(passing.counts().even, plain.even);
        ASSERT_EQ(passing.counts().odd, plain.odd);
        if (auto listed = passing.list(5000))
            EXPECT_EQ(*listed, plainList);
        else
            EXPECT_GT(plainList.size(), 5000u);

        bool empty = plain.even + plain.odd == 0;
        EXPECT_EQ(checkSatisfiable(base).has_value(), empty);
        for (CountPreset preset : countPresets) {
            PredictionSettings s = base;
            s.targetCount = preset.targetCount;
            s.oddSumQuota = preset.oddSumQuota;
            bool tooMany = plain.even + std::min<std::int64_t>(plain.odd, preset.oddSumQuota) <
                           preset.targetCount;
            auto error = validate(s);
            if (empty)
                continue; // refused already, with the field at fault
            EXPECT_EQ(error == InputError::CountPreset, tooMany);
            EXPECT_EQ(error.has_value(), tooMany);
            refusedForCount += tooMany ? 1 : 0;
            passed += tooMany ? 0 : 1;
        }
    }
    // The sample must exercise both answers for the comparison to mean anything.
    EXPECT_GE(refusedForCount, 20);
    EXPECT_GE(passed, 30);
}

TEST(PassingCounts, TheReportedNarrowSettingIsRefusedAtOnce) {
    PredictionSettings s = make(1, 2, 43, 42, U"000000000003");
    s.targetCount = 200;
    s.oddSumQuota = 60;
    EXPECT_EQ(PassingSet(s).counts().even, 111);
    EXPECT_EQ(PassingSet(s).counts().odd, 93);
    EXPECT_EQ(validate(s), InputError::CountPreset);
    EXPECT_EQ(inputErrorPrompt(InputError::CountPreset), "予想件数");
    s.targetCount = 111 + 60; // exactly what a run can reach
    EXPECT_EQ(validate(s), std::nullopt);
    s.targetCount += 1;
    EXPECT_EQ(validate(s), InputError::CountPreset);
}

} // namespace
} // namespace numir
