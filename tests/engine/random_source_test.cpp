// The random source: Philox4x32-10 as its authors publish it, on every vector path; values
// that do not depend on each other from one attempt to the next; and seeds that differ from
// one run to the next.
#include "first_picks.h"
#include "random_source.h"

#include <Random123/philox.h>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace numir {
namespace {

constexpr ScreenPath allPaths[] = {ScreenPath::Portable, ScreenPath::Sse2, ScreenPath::Avx2};

// Random123's known-answer vectors for Philox4x32-10: counter, key, output.
struct KnownAnswer {
    PhiloxCounter counter;
    PhiloxKey key;
    PhiloxCounter output;
};
constexpr KnownAnswer knownAnswers[] = {
    {{0, 0, 0, 0}, {0, 0}, {0x6627e8d5, 0xe169c58d, 0xbc57ac4c, 0x9b00dbd8}},
    {{0xffffffff, 0xffffffff, 0xffffffff, 0xffffffff},
     {0xffffffff, 0xffffffff},
     {0x408f276d, 0x41c83b0e, 0xa20bc7c6, 0x6d5451fd}},
    {{0x243f6a88, 0x85a308d3, 0x13198a2e, 0x03707344},
     {0xa4093822, 0x299f31d0},
     {0xd16cfe09, 0x94fdcceb, 0x5001e420, 0x24126ea1}},
};

// Each vector in every lane of a block of 21 (whole vectors and a tail), on each path.
TEST(Philox, GivesThePublishedAnswersOnEveryPath) {
    for (const KnownAnswer& known : knownAnswers) {
        EXPECT_EQ(philox4x32x10(known.counter, known.key), known.output);
        for (ScreenPath path : allPaths)
            for (std::uint32_t lane = 0; lane < 21; ++lane) {
                PhiloxCounter out[21];
                philoxBlocks(path, known.key, known.counter[0] - lane, known.counter[1],
                             known.counter[2], known.counter[3], 21, out);
                EXPECT_EQ(out[lane], known.output) << static_cast<int>(path) << " lane " << lane;
            }
    }
}

// Against Random123's own header, on counters and keys drawn at random.
TEST(Philox, EqualsTheReferenceImplementation) {
    std::mt19937 pick(7);
    auto word = [&] { return static_cast<std::uint32_t>(pick()); };
    r123::Philox4x32 reference;
    for (int i = 0; i < 2000; ++i) {
        PhiloxCounter c{word(), word(), word(), word()};
        PhiloxKey k{word(), word()};
        auto expected = reference({{c[0], c[1], c[2], c[3]}}, {{k[0], k[1]}});
        EXPECT_EQ(philox4x32x10(c, k),
                  (PhiloxCounter{expected[0], expected[1], expected[2], expected[3]}));
    }
}

// The sieve keeps the same attempts on every path, for tables from nearly empty to full.
TEST(FirstPicks, EveryPathKeepsTheSameAttempts) {
    std::mt19937 pick(11);
    for (double density : {0.001, 0.05, 0.5, 1.0}) {
        std::vector<std::uint8_t> table(tripleTableSize);
        std::bernoulli_distribution set(density);
        for (std::size_t bit = 0; bit < tripleBitCount; ++bit)
            table[bit / 8] |= static_cast<std::uint8_t>(set(pick) ? 1 << (bit % 8) : 0);
        ClockSeededRandom random(pick());
        for (std::size_t count :
             {screenBlock, std::size_t{1000}, std::size_t{63}, std::size_t{5}}) {
            std::uint64_t first = pick() % 100000000;
            std::vector<std::uint16_t> expected;
            for (std::size_t i = 0; i < count; ++i) { // the plain drawing of three picks
                int a = static_cast<int>((random.bits(first + i, 0) * 43ull) >> 24) + 1;
                int b = static_cast<int>((random.bits(first + i, 1) * 42ull) >> 24) + 1;
                int c = static_cast<int>((random.bits(first + i, 2) * 41ull) >> 24) + 1;
                b += b >= a ? 1 : 0;
                c += c >= std::min(a, b) ? 1 : 0;
                c += c >= std::max(a, b) ? 1 : 0;
                std::size_t bit = tripleBit(a, b, c);
                if (table[bit / 8] >> (bit % 8) & 1)
                    expected.push_back(static_cast<std::uint16_t>(i));
            }
            for (ScreenPath path : allPaths) {
                std::vector<std::uint16_t> kept(screenBlock);
                kept.resize(
                    screenFirstTriples(random, first, count, table.data(), kept.data(), path));
                EXPECT_EQ(kept, expected) << "path " << static_cast<int>(path) << ", " << count;
            }
        }
    }
}

// Chi-square of a table of pair counts against independent uniform values, and the value
// that it exceeds with probability 1e-6 (the Wilson-Hilferty approximation).
struct Serial {
    double chiSquare, farTail;
};
Serial serialTest(const std::vector<std::uint64_t>& counts, int rows, int columns) {
    double total = 0, chiSquare = 0;
    for (std::uint64_t c : counts)
        total += static_cast<double>(c);
    const double expected = total / (rows * columns);
    for (std::uint64_t c : counts)
        chiSquare +=
            (static_cast<double>(c) - expected) * (static_cast<double>(c) - expected) / expected;
    const double freedom = rows * columns - 1, z = 4.753; // one-sided 1e-6
    const double h = 2 / (9 * freedom);
    return {chiSquare, freedom * std::pow(1 - h + z * std::sqrt(h), 3)};
}

// The picks that the sieve reads, over ten million attempts of one seed: each of the first
// three against the same value of the next attempt, and the first against the second and the
// second against the third within an attempt. A source whose attempts are not independent
// fails far in the tail.
TEST(ClockSeededRandom, PicksOfConsecutiveAttemptsAreIndependent) {
    ClockSeededRandom random(2026);
    constexpr int attempts = 10'000'000, sizes[3] = {43, 42, 41};
    std::vector<std::uint64_t> across[3], within[2];
    for (int t = 0; t < 3; ++t)
        across[t].assign(static_cast<std::size_t>(sizes[t] * sizes[t]), 0);
    within[0].assign(43 * 42, 0);
    within[1].assign(42 * 41, 0);
    std::array<int, 3> previous{};
    PhiloxCounter words[screenBlock];
    for (int first = 0; first < attempts; first += static_cast<int>(screenBlock)) {
        philoxBlocks(fastestScreenPath(), random.key(), static_cast<std::uint32_t>(first), 0, 0, 0,
                     screenBlock, words);
        for (const PhiloxCounter& w : words) {
            std::array<int, 3> rank{};
            for (int t = 0; t < 3; ++t)
                rank[t] =
                    static_cast<int>(((w[t] >> 8) * static_cast<std::uint64_t>(sizes[t])) >> 24);
            if (&w != words || first > 0)
                for (int t = 0; t < 3; ++t)
                    ++across[t][static_cast<std::size_t>(previous[t] * sizes[t] + rank[t])];
            ++within[0][static_cast<std::size_t>(rank[0] * 42 + rank[1])];
            ++within[1][static_cast<std::size_t>(rank[1] * 41 + rank[2])];
            previous = rank;
        }
    }
    for (int t = 0; t < 3; ++t) {
        Serial serial = serialTest(across[t], sizes[t], sizes[t]);
        EXPECT_LT(serial.chiSquare, serial.farTail) << "value " << t << " across attempts";
    }
    for (int t = 0; t < 2; ++t) {
        Serial serial = serialTest(within[t], sizes[t], sizes[t + 1]);
        EXPECT_LT(serial.chiSquare, serial.farTail) << "values " << t << " and " << t + 1;
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
