#include "first_picks.h"

#include <cstring>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define NUMIR_X86 1
#endif

namespace numir {
namespace {

// The picks' places from 0: a rank counts the numbers not drawn yet, so it moves past every
// earlier pick at or below it.
inline std::uint32_t tripleIndex(std::uint32_t wordA, std::uint32_t wordB, std::uint32_t wordC) {
    std::uint32_t a = ((wordA >> 8) * 43) >> 24; // floor(u * 43), exact for u = bits / 2^24
    std::uint32_t b = ((wordB >> 8) * 42) >> 24;
    b += b >= a ? 1 : 0;
    std::uint32_t c = ((wordC >> 8) * 41) >> 24;
    c += c >= (a < b ? a : b) ? 1 : 0;
    c += c >= (a < b ? b : a) ? 1 : 0;
    return (a * 43 + b) * 43 + c;
}

inline bool isLive(const std::uint8_t* table, std::uint32_t bit) {
    return (table[bit >> 3] >> (bit & 7)) & 1;
}

// Attempt counters fit in 32 bits, so the counter's second word is 0 throughout a run.
void philoxPortable(const PhiloxKey& key, std::uint32_t first, std::uint32_t c1, std::uint32_t c2,
                    std::uint32_t c3, std::size_t count, PhiloxCounter* out) {
    for (std::size_t i = 0; i < count; ++i)
        out[i] = philox4x32x10({first + static_cast<std::uint32_t>(i), c1, c2, c3}, key);
}

#ifdef NUMIR_X86
// The vector forms hold one word of four (SSE2) or eight (AVX2) counters per register. The
// high and low halves of their products with m, lane by lane: the multiply takes every other
// lane, so the odd lanes are shifted down for a second one and the halves dealt back.
[[gnu::target("sse2")]] inline void multiply(__m128i a, __m128i m, __m128i& hi, __m128i& lo) {
    __m128i even = _mm_shuffle_epi32(_mm_mul_epu32(a, m), _MM_SHUFFLE(3, 1, 2, 0));
    __m128i odd =
        _mm_shuffle_epi32(_mm_mul_epu32(_mm_srli_epi64(a, 32), m), _MM_SHUFFLE(3, 1, 2, 0));
    lo = _mm_unpacklo_epi32(even, odd);
    hi = _mm_unpackhi_epi32(even, odd);
}

[[gnu::target("avx2")]] inline void multiply(__m256i a, __m256i m, __m256i& hi, __m256i& lo) {
    __m256i even = _mm256_shuffle_epi32(_mm256_mul_epu32(a, m), _MM_SHUFFLE(3, 1, 2, 0));
    __m256i odd = _mm256_shuffle_epi32(_mm256_mul_epu32(_mm256_srli_epi64(a, 32), m),
                                       _MM_SHUFFLE(3, 1, 2, 0));
    lo = _mm256_unpacklo_epi32(even, odd);
    hi = _mm256_unpackhi_epi32(even, odd);
}

// The ten rounds for G sets of counters at once: one set's rounds wait on each other's
// products, G sets keep the multipliers busy.
template <int G> [[gnu::target("sse2")]] inline void runRounds(__m128i (*c)[4], PhiloxKey key) {
    const __m128i m0 = _mm_set1_epi32(static_cast<int>(philoxMultiplier0));
    const __m128i m1 = _mm_set1_epi32(static_cast<int>(philoxMultiplier1));
    for (int round = 0; round < philoxRounds; ++round) {
        if (round > 0)
            key = {key[0] + philoxWeyl0, key[1] + philoxWeyl1};
        const __m128i k0 = _mm_set1_epi32(static_cast<int>(key[0]));
        const __m128i k1 = _mm_set1_epi32(static_cast<int>(key[1]));
        for (int g = 0; g < G; ++g) {
            __m128i hi0, lo0, hi1, lo1;
            multiply(c[g][0], m0, hi0, lo0);
            multiply(c[g][2], m1, hi1, lo1);
            c[g][0] = _mm_xor_si128(_mm_xor_si128(hi1, c[g][1]), k0);
            c[g][1] = lo1;
            c[g][2] = _mm_xor_si128(_mm_xor_si128(hi0, c[g][3]), k1);
            c[g][3] = lo0;
        }
    }
}

template <int G> [[gnu::target("avx2")]] inline void runRounds(__m256i (*c)[4], PhiloxKey key) {
    const __m256i m0 = _mm256_set1_epi32(static_cast<int>(philoxMultiplier0));
    const __m256i m1 = _mm256_set1_epi32(static_cast<int>(philoxMultiplier1));
    for (int round = 0; round < philoxRounds; ++round) {
        if (round > 0)
            key = {key[0] + philoxWeyl0, key[1] + philoxWeyl1};
        const __m256i k0 = _mm256_set1_epi32(static_cast<int>(key[0]));
        const __m256i k1 = _mm256_set1_epi32(static_cast<int>(key[1]));
        for (int g = 0; g < G; ++g) {
            __m256i hi0, lo0, hi1, lo1;
            multiply(c[g][0], m0, hi0, lo0);
            multiply(c[g][2], m1, hi1, lo1);
            c[g][0] = _mm256_xor_si256(_mm256_xor_si256(hi1, c[g][1]), k0);
            c[g][1] = lo1;
            c[g][2] = _mm256_xor_si256(_mm256_xor_si256(hi0, c[g][3]), k1);
            c[g][3] = lo0;
        }
    }
}

constexpr int interleaved = 4; // sets of counters whose rounds run side by side

// The plain form's output for count counters, through the vector form where they fill sets.
template <class Vector>
void philoxVector(const PhiloxKey& key, std::uint32_t first, std::uint32_t c1, std::uint32_t c2,
                  std::uint32_t c3, std::size_t count, PhiloxCounter* out,
                  void (*sets)(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                               const PhiloxKey&, Vector (*)[4])) {
    constexpr std::size_t lanes = sizeof(Vector) / 4, batch = lanes * interleaved;
    std::size_t i = 0;
    for (; i + batch <= count; i += batch) {
        Vector c[interleaved][4];
        sets(first + static_cast<std::uint32_t>(i), c1, c2, c3, key, c);
        for (std::size_t g = 0; g < interleaved; ++g) {
            alignas(32) std::uint32_t words[4][lanes];
            for (int w = 0; w < 4; ++w)
                std::memcpy(words[w], &c[g][w], sizeof(Vector));
            for (std::size_t lane = 0; lane < lanes; ++lane)
                out[i + g * lanes + lane] = {words[0][lane], words[1][lane], words[2][lane],
                                             words[3][lane]};
        }
    }
    philoxPortable(key, first + static_cast<std::uint32_t>(i), c1, c2, c3, count - i, out + i);
}

// Runs the counters (first + i, c1, c2, c3) of interleaved sets of eight, i counting on
// through the sets.
[[gnu::target("avx2")]] void setsAvx2(std::uint32_t first, std::uint32_t c1, std::uint32_t c2,
                                      std::uint32_t c3, const PhiloxKey& key, __m256i (*c)[4]) {
    constexpr int lanes = 8;
    for (int g = 0; g < interleaved; ++g) {
        c[g][0] = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(first + g * lanes)),
                                   _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        c[g][1] = _mm256_set1_epi32(static_cast<int>(c1));
        c[g][2] = _mm256_set1_epi32(static_cast<int>(c2));
        c[g][3] = _mm256_set1_epi32(static_cast<int>(c3));
    }
    runRounds<interleaved>(c, key);
}

// The same in sets of four.
[[gnu::target("sse2")]] void setsSse2(std::uint32_t first, std::uint32_t c1, std::uint32_t c2,
                                      std::uint32_t c3, const PhiloxKey& key, __m128i (*c)[4]) {
    constexpr int lanes = 4;
    for (int g = 0; g < interleaved; ++g) {
        c[g][0] = _mm_add_epi32(_mm_set1_epi32(static_cast<int>(first + g * lanes)),
                                _mm_setr_epi32(0, 1, 2, 3));
        c[g][1] = _mm_set1_epi32(static_cast<int>(c1));
        c[g][2] = _mm_set1_epi32(static_cast<int>(c2));
        c[g][3] = _mm_set1_epi32(static_cast<int>(c3));
    }
    runRounds<interleaved>(c, key);
}

[[gnu::target("avx2")]] inline __m256i rank8(__m256i word, int remaining) {
    __m256i bits = _mm256_srli_epi32(word, 8);
    return _mm256_srli_epi32(_mm256_mullo_epi32(bits, _mm256_set1_epi32(remaining)), 24);
}

// x + 1 where x >= place, else x: cmpgt gives -1 where place > x.
[[gnu::target("avx2")]] inline __m256i skipPast(__m256i x, __m256i place) {
    return _mm256_add_epi32(_mm256_add_epi32(x, _mm256_set1_epi32(1)),
                            _mm256_cmpgt_epi32(place, x));
}

// One bit per attempt of eight: whether its first three picks are live.
[[gnu::target("avx2")]] inline unsigned liveLanes(const __m256i* c, const int* table) {
    __m256i a = rank8(c[0], 43);
    __m256i b = skipPast(rank8(c[1], 42), a);
    __m256i third = rank8(c[2], 41);
    third = skipPast(third, _mm256_min_epi32(a, b));
    third = skipPast(third, _mm256_max_epi32(a, b));
    __m256i index = _mm256_add_epi32(
        _mm256_mullo_epi32(_mm256_add_epi32(_mm256_mullo_epi32(a, _mm256_set1_epi32(43)), b),
                           _mm256_set1_epi32(43)),
        third);
    __m256i words = _mm256_i32gather_epi32(table, _mm256_srli_epi32(index, 3), 1);
    __m256i bit = _mm256_and_si256(index, _mm256_set1_epi32(7));
    // Move each lane's bit to the sign, where movemask finds it.
    __m256i atSign = _mm256_sllv_epi32(words, _mm256_sub_epi32(_mm256_set1_epi32(31), bit));
    return static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(atSign)));
}

// Screens whole groups of sixty-four attempts; returns how many attempts it took and, in
// kept, how many survived.
[[gnu::target("avx2")]] std::size_t screenAvx2(const PhiloxKey& key, std::uint32_t first,
                                               std::size_t count, const std::uint8_t* table,
                                               std::uint16_t* survivors, std::size_t& kept) {
    const auto* table32 = reinterpret_cast<const int*>(table);
    std::size_t i = 0;
    kept = 0;
    // Sixty-four attempts gather their bits before any branch: survivors are rare, and a
    // branch per eight would be mispredicted often.
    for (; i + 64 <= count; i += 64) {
        std::uint64_t live = 0;
        for (unsigned part = 0; part < 64; part += 8 * interleaved) {
            __m256i c[interleaved][4];
            setsAvx2(first + static_cast<std::uint32_t>(i + part), 0, 0, 0, key, c);
            for (unsigned g = 0; g < interleaved; ++g)
                live |= static_cast<std::uint64_t>(liveLanes(c[g], table32)) << (part + 8 * g);
        }
        for (; live != 0; live &= live - 1)
            survivors[kept++] =
                static_cast<std::uint16_t>(i + static_cast<unsigned>(__builtin_ctzll(live)));
    }
    return i;
}
#endif

// The survivors among the attempts first + i, from <= i < count, one by one from the words
// that the path computes.
std::size_t screenByWords(ScreenPath path, const PhiloxKey& key, std::uint32_t first,
                          std::size_t from, std::size_t count, const std::uint8_t* table,
                          std::uint16_t* survivors);

} // namespace

bool processorRuns(ScreenPath path) {
#ifdef NUMIR_X86
    __builtin_cpu_init();
    if (path == ScreenPath::Avx2)
        return __builtin_cpu_supports("avx2");
    if (path == ScreenPath::Sse2)
        return __builtin_cpu_supports("sse2");
#endif
    return path == ScreenPath::Portable;
}

ScreenPath fastestScreenPath() {
    for (ScreenPath path : {ScreenPath::Avx2, ScreenPath::Sse2})
        if (processorRuns(path))
            return path;
    return ScreenPath::Portable;
}

void philoxBlocks(ScreenPath path, const PhiloxKey& key, std::uint32_t first, std::uint32_t c1,
                  std::uint32_t c2, std::uint32_t c3, std::size_t count, PhiloxCounter* out) {
#ifdef NUMIR_X86
    if (path == ScreenPath::Avx2 && processorRuns(path))
        return philoxVector<__m256i>(key, first, c1, c2, c3, count, out, setsAvx2);
    if (path == ScreenPath::Sse2 && processorRuns(path))
        return philoxVector<__m128i>(key, first, c1, c2, c3, count, out, setsSse2);
#endif
    (void)path;
    philoxPortable(key, first, c1, c2, c3, count, out);
}

std::size_t screenFirstTriples(const ClockSeededRandom& random, std::uint64_t first,
                               std::size_t count, const std::uint8_t* tripleTable,
                               std::uint16_t* survivors, ScreenPath path) {
    auto start = static_cast<std::uint32_t>(first); // attempts stay below 2^31
    std::size_t kept = 0, done = 0;
#ifdef NUMIR_X86
    if (path == ScreenPath::Avx2 && processorRuns(path))
        done = screenAvx2(random.key(), start, count, tripleTable, survivors, kept);
#endif
    return kept +
           screenByWords(path, random.key(), start, done, count, tripleTable, survivors + kept);
}

namespace {

std::size_t screenByWords(ScreenPath path, const PhiloxKey& key, std::uint32_t first,
                          std::size_t from, std::size_t count, const std::uint8_t* table,
                          std::uint16_t* survivors) {
    PhiloxCounter words[screenBlock];
    philoxBlocks(path, key, first + static_cast<std::uint32_t>(from), 0, 0, 0, count - from, words);
    std::size_t kept = 0;
    for (std::size_t i = from; i < count; ++i) {
        const PhiloxCounter& w = words[i - from];
        survivors[kept] = static_cast<std::uint16_t>(i);
        kept += isLive(table, tripleIndex(w[0], w[1], w[2])) ? 1 : 0;
    }
    return kept;
}

} // namespace

} // namespace numir
