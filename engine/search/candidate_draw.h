// The drawing rule of one attempt: six numbers without replacement, value u picking the r-th
// number not yet drawn, r = floor(u*n + 1) with n = 43, 42, ..., 38, and the line they make.
// Which attempts are drawn this way, and what is done with the numbers, is the search's.
#pragma once

#include "random/random_source.h"
#include "settings/combination_filter.h"

#include <array>
#include <bit>
#include <string>

namespace numir {

struct Candidate {
    NumberMask numbers = 0; // the six numbers
    int sum = 0;
};

// r - 1 for r = floor(u*n + 1). In double the product is exact, so the largest float below
// 1 still picks the last; the bounds keep even a faulty source's value inside the pool.
inline int rankOf(float u, int remaining) {
    double scaled = static_cast<double>(u) * remaining;
    if (!(scaled >= 0))
        return 0;
    return scaled < remaining ? static_cast<int>(scaled) : remaining - 1;
}

// Each draw takes the r-th number still in the pool. Rather than shift a pool, the ranks are
// turned into numbers from the last draw backwards: a later draw's rank, counted among the
// numbers left after an earlier draw, moves up by one when the earlier number stands at or
// below it. Written out, so that it stays in registers without a branch: random data defeats
// branch prediction, and a loop over an array here doubles what an attempt costs.
inline void movePast(int& later, int earlier) {
    later += later >= earlier ? 1 : 0;
}

inline Candidate drawCandidate(const SixUnits& units) {
    int v0 = rankOf(units[0], 43), v1 = rankOf(units[1], 42), v2 = rankOf(units[2], 41),
        v3 = rankOf(units[3], 40), v4 = rankOf(units[4], 39), v5 = rankOf(units[5], 38);
    movePast(v5, v4);
    movePast(v4, v3), movePast(v5, v3);
    movePast(v3, v2), movePast(v4, v2), movePast(v5, v2);
    movePast(v2, v1), movePast(v3, v1), movePast(v4, v1), movePast(v5, v1);
    movePast(v1, v0), movePast(v2, v0), movePast(v3, v0), movePast(v4, v0), movePast(v5, v0);
    Candidate candidate; // each v is now its number less one
    for (int v : {v0, v1, v2, v3, v4, v5}) {
        candidate.numbers |= numberBit(v + 1);
        candidate.sum += v + 1;
    }
    return candidate;
}

// A sum is odd when it holds an odd count of odd numbers.
inline bool hasOddSum(NumberMask numbers) {
    constexpr NumberMask oddNumbers = 0xAAAAAAAAAAAull; // bits 1, 3, ..., 43
    return std::popcount(numbers & oddNumbers) % 2 == 1;
}

// Two digits per number, ascending, no separators.
std::string lineText(NumberMask numbers);

} // namespace numir
