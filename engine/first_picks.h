// The first sieve of a hard run: which attempts' first three picks can still belong to a
// live combination, for a whole block of attempts of the program's own random source at
// once. Nearly every attempt of a hard run ends here, so the block's Philox words are
// computed several attempts at a time where the processor has vector units (SSE2 on every
// x86-64 and on the 32-bit build, AVX2 where present), each path equal to the plain one bit
// for bit. What happens to the survivors is the search's business.
#pragma once

#include "philox.h"
#include "random_source.h"

#include <cstddef>
#include <cstdint>

namespace numir {

inline constexpr std::size_t screenBlock = 1024;

// One bit for each first three picks a, b, c: bit (a - 1) * 1849 + (b - 1) * 43 + (c - 1),
// counted from the low bit of byte 0; small enough to stay in the level-1 cache. Three
// bytes of padding allow four-byte loads anywhere.
inline constexpr std::size_t tripleBitCount = 43 * 43 * 43;
inline constexpr std::size_t tripleTableSize = (tripleBitCount + 7) / 8 + 3;

constexpr std::size_t tripleBit(int a, int b, int c) {
    return static_cast<std::size_t>(((a - 1) * 43 + (b - 1)) * 43 + (c - 1));
}

enum class ScreenPath { Portable, Sse2, Avx2 };

// The fastest path this processor runs: the program's one choice of vector code.
ScreenPath fastestScreenPath();
bool processorRuns(ScreenPath path);

// tripleTable has the bit set where first picks a, b, c may still lead to a live combination.
// Writes the offsets i of the attempts first + i, i < count (at most screenBlock), that
// survive, and returns how many.
std::size_t screenFirstTriples(const ClockSeededRandom& random, std::uint64_t first,
                               std::size_t count, const std::uint8_t* tripleTable,
                               std::uint16_t* survivors, ScreenPath path = fastestScreenPath());

// Philox4x32-10 of the counters (first + i, c1, c2, c3), i < count (at most screenBlock), as
// the path computes it for the sieve; to prove every path equal to the reference.
void philoxBlocks(ScreenPath path, const PhiloxKey& key, std::uint32_t first, std::uint32_t c1,
                  std::uint32_t c2, std::uint32_t c3, std::size_t count, PhiloxCounter* out);

} // namespace numir
