// The random source: Philox4x32-10 as its authors publish it, on every vector path; values
// that do not depend on each other from one attempt to the next; and a key of its own for
// every run.
#include "first_picks.h"
#include "random_source.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace numir {
namespace {

constexpr ScreenPath allPaths[] = {ScreenPath::Portable, ScreenPath::Sse2, ScreenPath::Avx2};

// Random123's known-answer vectors for Philox4x32-10, each in every lane of a block of 21
// (whole vector sets and a tail) on each path.
TEST(Philox, GivesThePublishedAnswersOnEveryPath) {
    const struct {
        PhiloxCounter counter;
        PhiloxKey key;
        PhiloxCounter output;
    } knownAnswers[] = {
        {{0, 0, 0, 0}, {0, 0}, {0x6627e8d5, 0xe169c58d, 0xbc57ac4c, 0x9b00dbd8}},
        {{~0u, ~0u, ~0u, ~0u}, {~0u, ~0u}, {0x408f276d, 0x41c83b0e, 0xa20bc7c6, 0x6d5451fd}},
        {{0x243f6a88, 0x85a308d3, 0x13198a2e, 0x03707344},
         {0xa4093822, 0x299f31d0},
         {0xd16cfe09, 0x94fdcceb, 0x5001e420, 0x24126ea1}},
    };
    for (const auto& [counter, key, output] : knownAnswers) {
        EXPECT_EQ(philox4x32x10(counter, key), output);
        for (ScreenPath path : allPaths)
            for (std::uint32_t lane = 0; lane < 21; ++lane) {
                PhiloxCounter out[21];
                philoxBlocks(path, key, counter[0] - lane, counter[1], counter[2], counter[3], 21,
                             out);
                EXPECT_EQ(out[lane], output) << static_cast<int>(path) << " lane " << lane;
            }
    }
}

// Chi-square of pair counts against independent uniform values must stay below the value it
// exceeds with probability 1e-6 (Wilson-Hilferty). Over ten million attempts of one seed,
// each of the first three picks, which the sieve reads, against the same pick of the next
// attempt.
TEST(ClockSeededRandom, PicksOfConsecutiveAttemptsAreIndependent) {
    constexpr int attempts = 10'000'000, sizes[3] = {43, 42, 41};
    std::vector<std::vector<std::uint64_t>> pairs(3);
    for (int t = 0; t < 3; ++t)
        pairs[t].resize(sizes[t] * sizes[t]);
    ClockSeededRandom random(2026);
    std::array<int, 3> previous{-1, -1, -1}, rank{};
    PhiloxCounter words[screenBlock];
    for (std::uint32_t first = 0; first < attempts; first += screenBlock) {
        philoxBlocks(fastestScreenPath(), random.key(), first, 0, 0, 0, screenBlock, words);
        for (const PhiloxCounter& w : words) {
            for (int t = 0; t < 3; ++t)
                rank[t] = static_cast<int>(((w[t] >> 8) * std::uint64_t(sizes[t])) >> 24);
            for (int t = 0; t < 3 && previous[0] >= 0; ++t)
                ++pairs[t][previous[t] * sizes[t] + rank[t]];
            previous = rank;
        }
    }
    for (const auto& counts : pairs) {
        double total = 0, chiSquare = 0, cells = static_cast<double>(counts.size());
        for (std::uint64_t c : counts)
            total += static_cast<double>(c);
        for (std::uint64_t c : counts)
            chiSquare += std::pow(static_cast<double>(c) - total / cells, 2) / (total / cells);
        const double h = 2 / (9 * (cells - 1));
        EXPECT_LT(chiSquare, (cells - 1) * std::pow(1 - h + 4.753 * std::sqrt(h), 3))
            << &counts - pairs.data();
    }
}

// Two runs never share a sequence, even when they start within one tick of the clock, in one
// program or in two.
TEST(ClockSeededRandom, EveryRunHasItsOwnKey) {
    ClockSeededRandom one, other;
    std::vector<PhiloxKey> keys;
    for (int run = 0; run < 100; ++run) {
        one.reseed(), other.reseed();
        keys.push_back(one.key()), keys.push_back(other.key());
    }
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end());
}

} // namespace
} // namespace numir
