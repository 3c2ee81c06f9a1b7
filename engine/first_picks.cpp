#include "first_picks.h"

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define NUMIR_HAVE_AVX2_SCREEN 1
#endif

namespace numir {
namespace {

// The picks' places from 0: a rank counts the numbers not drawn yet, so it moves past every
// earlier pick at or below it.
inline std::uint32_t tripleIndex(std::uint32_t bitsA, std::uint32_t bitsB, std::uint32_t bitsC) {
    std::uint32_t a = (bitsA * 43) >> 24; // floor(u * 43), exact for u = bits / 2^24
    std::uint32_t b = (bitsB * 42) >> 24;
    b += b >= a ? 1 : 0;
    std::uint32_t c = (bitsC * 41) >> 24;
    c += c >= (a < b ? a : b) ? 1 : 0;
    c += c >= (a < b ? b : a) ? 1 : 0;
    return (a * 43 + b) * 43 + c;
}

// Offsets start at `from`, so the vector version can hand its last few attempts here.
std::size_t screenPortable(const ClockSeededRandom& random, std::uint64_t first, std::size_t from,
                           std::size_t count, const std::uint8_t* table, std::uint16_t* survivors) {
    std::size_t kept = 0;
    for (std::size_t i = from; i < count; ++i) {
        std::uint64_t k = first + i;
        survivors[kept] = static_cast<std::uint16_t>(i);
        std::uint32_t bit = tripleIndex(random.bits(k, 0), random.bits(k, 1), random.bits(k, 2));
        kept += (table[bit >> 3] >> (bit & 7)) & 1;
    }
    return kept;
}

#ifdef NUMIR_HAVE_AVX2_SCREEN
// The 32-bit hashes of ClockSeededRandom, eight lanes at a time.
// The shape is a template argument so that the shifts are immediate operands.
template <int T> [[gnu::target("avx2")]] inline __m256i hash8(__m256i attempt, __m256i key) {
    constexpr auto h = ClockSeededRandom::hashShapes[T];
    __m256i x = _mm256_xor_si256(attempt, key);
    x = _mm256_xor_si256(x, _mm256_srli_epi32(x, h.s1));
    x = _mm256_mullo_epi32(x, _mm256_set1_epi32(static_cast<int>(h.m1)));
    x = _mm256_xor_si256(x, _mm256_srli_epi32(x, h.s2));
    x = _mm256_mullo_epi32(x, _mm256_set1_epi32(static_cast<int>(h.m2)));
    return _mm256_xor_si256(x, _mm256_srli_epi32(x, h.s3));
}

[[gnu::target("avx2")]] inline __m256i rank8(__m256i hash, int remaining) {
    __m256i bits = _mm256_srli_epi32(hash, 8);
    return _mm256_srli_epi32(_mm256_mullo_epi32(bits, _mm256_set1_epi32(remaining)), 24);
}

// x + 1 where x >= place, else x: cmpgt gives -1 where place > x.
[[gnu::target("avx2")]] inline __m256i skipPast(__m256i x, __m256i place) {
    return _mm256_add_epi32(_mm256_add_epi32(x, _mm256_set1_epi32(1)),
                            _mm256_cmpgt_epi32(place, x));
}

// One bit per attempt of eight: whether its first three picks are live.
[[gnu::target("avx2")]] inline unsigned liveLanes(__m256i k, const __m256i* keys,
                                                  const int* table) {
    __m256i a = rank8(hash8<0>(k, keys[0]), 43);
    __m256i b = rank8(hash8<1>(k, keys[1]), 42);
    __m256i c = rank8(hash8<2>(k, keys[2]), 41);
    b = skipPast(b, a);
    c = skipPast(c, _mm256_min_epi32(a, b));
    c = skipPast(c, _mm256_max_epi32(a, b));
    __m256i index = _mm256_add_epi32(
        _mm256_mullo_epi32(_mm256_add_epi32(_mm256_mullo_epi32(a, _mm256_set1_epi32(43)), b),
                           _mm256_set1_epi32(43)),
        c);
    __m256i words = _mm256_i32gather_epi32(table, _mm256_srli_epi32(index, 3), 1);
    __m256i bit = _mm256_and_si256(index, _mm256_set1_epi32(7));
    // Move each lane's bit to the sign, where movemask finds it.
    __m256i atSign = _mm256_sllv_epi32(words, _mm256_sub_epi32(_mm256_set1_epi32(31), bit));
    return static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(atSign)));
}

[[gnu::target("avx2")]] std::size_t screenAvx2(const ClockSeededRandom& random, std::uint64_t first,
                                               std::size_t count, const std::uint8_t* table,
                                               std::uint16_t* survivors) {
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const auto* words = reinterpret_cast<const int*>(table);
    const __m256i keys[3] = {_mm256_set1_epi32(static_cast<int>(random.key(0))),
                             _mm256_set1_epi32(static_cast<int>(random.key(1))),
                             _mm256_set1_epi32(static_cast<int>(random.key(2)))};
    std::size_t kept = 0, i = 0;
    // Sixty-four attempts gather their bits before any branch: survivors are rare, and a
    // branch per eight would be mispredicted often.
    for (; i + 64 <= count; i += 64) {
        std::uint64_t live = 0;
        for (unsigned group = 0; group < 8; ++group) {
            auto start = static_cast<int>(first + i + group * 8);
            __m256i k = _mm256_add_epi32(_mm256_set1_epi32(start), lanes);
            live |= static_cast<std::uint64_t>(liveLanes(k, keys, words)) << (group * 8);
        }
        for (; live != 0; live &= live - 1)
            survivors[kept++] =
                static_cast<std::uint16_t>(i + static_cast<unsigned>(__builtin_ctzll(live)));
    }
    return kept + screenPortable(random, first, i, count, table, survivors + kept);
}
#endif

} // namespace

std::size_t screenFirstTriples(const ClockSeededRandom& random, std::uint64_t first,
                               std::size_t count, const std::uint8_t* tripleTable,
                               std::uint16_t* survivors) {
#ifdef NUMIR_HAVE_AVX2_SCREEN
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2"))
        return screenAvx2(random, first, count, tripleTable, survivors);
#endif
    return screenPortable(random, first, 0, count, tripleTable, survivors);
}

} // namespace numir
