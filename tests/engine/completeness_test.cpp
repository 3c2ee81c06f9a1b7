// Proves that validation refuses exactly the settings for which a run could never reach its
// target: every combination is enumerated and passed through the search's own filters.
#include "combination_filter.h"
#include "input_validation.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace numir {
namespace {

struct Combination {
    NumberMask numbers;
    int sum;
};

const std::vector<Combination>& everyCombination() {
    static const std::vector<Combination> all = [] {
        std::vector<Combination> combinations;
        combinations.reserve(6096454);
        for (int a = 1; a <= 38; ++a)
            for (int b = a + 1; b <= 39; ++b)
                for (int c = b + 1; c <= 40; ++c)
                    for (int d = c + 1; d <= 41; ++d)
                        for (int e = d + 1; e <= 42; ++e)
                            for (int f = e + 1; f <= 43; ++f)
                                combinations.push_back({numberBit(a) | numberBit(b) | numberBit(c) |
                                                            numberBit(d) | numberBit(e) |
                                                            numberBit(f),
                                                        a + b + c + d + e + f});
        return combinations;
    }();
    return all;
}

// Whether some sequence of draws could complete the run: enough distinct passing
// combinations once the odd-sum quota is taken into account.
bool runCanComplete(const PredictionSettings& settings) {
    CombinationFilter filter(settings);
    long long even = 0, odd = 0;
    for (const Combination& c : everyCombination()) {
        if (filter.passes(c.numbers, c.sum))
            (c.sum % 2 == 0 ? even : odd) += 1;
    }
    return even + std::min<long long>(odd, settings.oddSumQuota) >= settings.targetCount;
}

PredictionSettings withPreset(CountPreset preset) {
    PredictionSettings settings;
    settings.targetCount = preset.targetCount;
    settings.oddSumQuota = preset.oddSumQuota;
    return settings;
}

// A 500-line setting; 0 leaves a number off, an empty text the previous draw.
PredictionSettings fiveHundred(double include1, double include2, double exclude1, double exclude2,
                               std::u32string previousDraw) {
    PredictionSettings s = withPreset({500, 190});
    s.include1 = {include1 != 0, include1};
    s.include2 = {include2 != 0, include2};
    s.exclude1 = {exclude1 != 0, exclude1};
    s.exclude2 = {exclude2 != 0, exclude2};
    s.previousDrawOn = !previousDraw.empty();
    s.previousDrawText = std::move(previousDraw);
    return s;
}

std::vector<PredictionSettings> handPickedSettings() {
    return {
        fiveHundred(0, 0, 0, 0, U""),
        // The hardest satisfiable setting known: four free numbers from 3..36 summing to 107+.
        fiveHundred(1, 2, 38, 37, U"013940414243"),
        fiveHundred(1, 2, 36, 35, U"014339404142"),
        fiveHundred(7.5, 0, 0, 0, U""),
        fiveHundred(0, 7.5, 0, 8, U""),
        fiveHundred(0, 0, 0, 0, U"000000000000"),
        fiveHundred(0, 0, 7, 0, U"070000000044"),
        fiveHundred(43, 42, 0, 0, U"430102030405"),
    };
}

std::vector<PredictionSettings> randomSettings(std::size_t wanted) {
    // Few distinct values, so includes, excludes and pieces collide often.
    const double numbers[] = {0.5, 1, 2, 3, 7, 7.4, 7.5, 8, 20.5, 36, 37, 38, 41, 42, 42.5, 43};
    const std::u32string pieces[] = {U"00", U"01", U"02", U"07", U"08", U"37",
                                     U"38", U"42", U"43", U"44", U"ab", U".5"};
    std::mt19937 engine(6096454);
    auto pick = [&](const auto& range) {
        return range[std::uniform_int_distribution<std::size_t>(0, std::size(range) - 1)(engine)];
    };
    auto maybe = [&](double chance) { return std::bernoulli_distribution(chance)(engine); };
    std::vector<PredictionSettings> list;
    while (list.size() < wanted) {
        PredictionSettings s = withPreset(pick(countPresets));
        s.include1 = {maybe(0.5), pick(numbers)};
        s.include2 = {maybe(0.5), pick(numbers)};
        s.exclude1 = {maybe(0.5), pick(numbers)};
        s.exclude2 = {maybe(0.5), pick(numbers)};
        s.previousDrawOn = maybe(0.6);
        for (int k = 0; s.previousDrawOn && k < 6; ++k)
            s.previousDrawText += pick(pieces);
        if (!checkTypedRanges(s))
            list.push_back(s);
    }
    return list;
}

TEST(ValidationCompleteness, RefusesExactlyTheSettingsThatCannotComplete) {
    auto settingsList = handPickedSettings();
    auto random = randomSettings(140);
    settingsList.insert(settingsList.end(), random.begin(), random.end());

    int refused = 0;
    for (std::size_t i = 0; i < settingsList.size(); ++i) {
        const PredictionSettings& s = settingsList[i];
        ASSERT_FALSE(checkTypedRanges(s)) << "setting " << i;
        bool isRefused = checkSatisfiable(s).has_value();
        EXPECT_EQ(isRefused, !runCanComplete(s)) << "setting " << i;
        refused += isRefused ? 1 : 0;
    }
    // The sample must exercise both answers for the comparison to mean anything.
    EXPECT_GE(refused, 20);
    EXPECT_GE(static_cast<int>(settingsList.size()) - refused, 20);
}

} // namespace
} // namespace numir
