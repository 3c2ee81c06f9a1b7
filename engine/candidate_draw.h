// Turning an attempt's random values into its six numbers: the ranks r - 1 of
// r = floor(u*n + 1), and the numbers they pick from a pool that shrinks by one each draw.
// Kept inline, since nearly every surviving attempt of a run passes through here; what is
// done with the numbers is the search's.
#pragma once

#include "candidate_search.h"

#include <array>
#include <bit>
#include <cstdint>

namespace numir::draw {

// r - 1 for r = floor(u*n + 1). In double the product is exact, so the largest float below
// 1 still picks the last; the bounds keep even a faulty source's value inside the pool.
inline int rankOf(float u, int remaining) {
    double scaled = static_cast<double>(u) * remaining;
    if (!(scaled >= 0))
        return 0;
    return scaled < remaining ? static_cast<int>(scaled) : remaining - 1;
}

using SixRanks = std::array<int, 6>; // each from 0, the t-th below 43 - t

SixRanks ranksOf(const SixUnits& units) {
    SixRanks ranks{};
    for (std::size_t t = 0; t < 6; ++t)
        ranks[t] = rankOf(units[t], static_cast<int>(43 - t));
    return ranks;
}

// The program's own source gives 24 bits over 2^24, whose rank integers compute exactly.
SixRanks ranksOf(const std::array<std::uint32_t, 6>& six) {
    auto rank = [](std::uint64_t bits, unsigned remaining) {
        return static_cast<int>((bits * remaining) >> 24);
    };
    return {rank(six[0], 43), rank(six[1], 42), rank(six[2], 41),
            rank(six[3], 40), rank(six[4], 39), rank(six[5], 38)};
}

// Each draw takes the r-th number still in the pool. Rather than shift a pool, the ranks are
// turned into numbers from the last draw backwards: a later draw's rank, counted among the
// numbers left after an earlier draw, moves up by one when the earlier number stands at or
// below it. The comparisons are independent and branch-free, which matters because random
// data defeats branch prediction.
[[gnu::always_inline]] inline void movePast(int& later, int earlier) {
    later += later >= earlier ? 1 : 0;
}

// Written out rather than looped, so that it stays in registers: vectorised over a stack
// array it cost a third of a hard run.
[[gnu::always_inline]] inline Candidate drawSix(const SixRanks& ranks) {
    auto [v0, v1, v2, v3, v4, v5] = ranks; // finally each number less one
    movePast(v5, v4);
    movePast(v4, v3), movePast(v5, v3);
    movePast(v3, v2), movePast(v4, v2), movePast(v5, v2);
    movePast(v2, v1), movePast(v3, v1), movePast(v4, v1), movePast(v5, v1);
    movePast(v1, v0), movePast(v2, v0), movePast(v3, v0), movePast(v4, v0), movePast(v5, v0);
    Candidate candidate;
    for (int v : {v0, v1, v2, v3, v4, v5}) {
        candidate.numbers |= numberBit(v + 1);
        candidate.sum += v + 1;
    }
    return candidate;
}

int sumOf(NumberMask numbers) {
    int sum = 0;
    for (; numbers != 0; numbers &= numbers - 1)
        sum += std::countr_zero(numbers);
    return sum;
}

} // namespace numir::draw
