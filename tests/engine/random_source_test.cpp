// Philox4x32-10 as its authors publish it, and a key of its own for every run.
#include "random/random_source.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace numir {
namespace {

TEST(Philox, GivesThePublishedAnswers) {
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
    for (const auto& [counter, key, output] : knownAnswers)
        EXPECT_EQ(philox4x32x10(counter, key), output);
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
