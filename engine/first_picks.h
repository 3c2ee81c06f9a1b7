// The first sieve of a hard run: which attempts' first three picks can still belong to a
// live combination, for a whole block of attempts of the program's own random source at
// once. Nearly every attempt of a hard run ends here, so it uses the vector unit where the
// processor has one. What happens to the survivors is the search's business.
#pragma once

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

// tripleTable has the bit set where first picks a, b, c may still lead to a live combination.
// Writes the offsets i of the attempts first + i, i < count (at most screenBlock), that
// survive, and returns how many.
std::size_t screenFirstTriples(const ClockSeededRandom& random, std::uint64_t first,
                               std::size_t count, const std::uint8_t* tripleTable,
                               std::uint16_t* survivors);

} // namespace numir
