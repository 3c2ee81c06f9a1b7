// Philox4x32-10, the counter-based generator of J. K. Salmon, M. A. Moraes, R. O. Dror and
// D. E. Shaw, "Parallel random numbers: as easy as 1, 2, 3" (SC 2011), as their Random123
// library defines it: four 32-bit words of output for a 128-bit counter under a 64-bit key,
// ten rounds. It passes TestU01's BigCrush for any key, counting the counter up from zero.
#pragma once

#include <array>
#include <cstdint>

namespace numir {

using PhiloxCounter = std::array<std::uint32_t, 4>;
using PhiloxKey = std::array<std::uint32_t, 2>;

inline constexpr std::uint32_t philoxMultiplier0 = 0xD2511F53;
inline constexpr std::uint32_t philoxMultiplier1 = 0xCD9E8D57;
inline constexpr std::uint32_t philoxWeyl0 = 0x9E3779B9; // added to the key after a round
inline constexpr std::uint32_t philoxWeyl1 = 0xBB67AE85;
inline constexpr int philoxRounds = 10;

constexpr PhiloxCounter philox4x32x10(PhiloxCounter c, PhiloxKey k) {
    for (int round = 0; round < philoxRounds; ++round) {
        if (round > 0)
            k = {k[0] + philoxWeyl0, k[1] + philoxWeyl1};
        std::uint64_t p0 = std::uint64_t{philoxMultiplier0} * c[0];
        std::uint64_t p1 = std::uint64_t{philoxMultiplier1} * c[2];
        c = {static_cast<std::uint32_t>(p1 >> 32) ^ c[1] ^ k[0], static_cast<std::uint32_t>(p1),
             static_cast<std::uint32_t>(p0 >> 32) ^ c[3] ^ k[1], static_cast<std::uint32_t>(p0)};
    }
    return c;
}

} // namespace numir
