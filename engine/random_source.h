// Where the search gets its random values: value t (0..5) of attempt k, on demand, so a
// candidate that is rejected after its first picks never pays for the rest. The search
// reseeds once at the start of every run; tests hand in scripted sequences, the program
// ClockSeededRandom.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace numir {

using SixUnits = std::array<float, 6>; // each 0 <= u < 1

class RandomSource {
  public:
    virtual ~RandomSource() = default;
    virtual void reseed() = 0;
    // Value t, 0..5, of one attempt (attempts count from 0).
    virtual float unit(std::int64_t attempt, int t) = 0;
    // Value 0 of the attempts firstAttempt, firstAttempt + 1, ...
    virtual void firstUnits(std::int64_t firstAttempt, std::span<float> out);
    // All six values of one attempt.
    virtual SixUnits units(std::int64_t attempt);
};

// Counter-based, seeded from the clock: a value is a hash of the seed and of its place in
// the run, so any one can be had without the ones before it. Each value is 24 random bits
// over 2^24, so it never rounds up to 1. The first three values of an attempt come from
// 32-bit hashes that vector units compute eight at a time, since nearly every attempt of a
// hard run ends after them; the other three from two 64-bit hashes.
class ClockSeededRandom final : public RandomSource {
  public:
    ClockSeededRandom();
    // Reseeds with firstSeed, firstSeed + 1, ... instead of the clock, for measurements
    // that must be repeatable.
    explicit ClockSeededRandom(std::uint64_t firstSeed);
    void reseed() override;
    void seed(std::uint64_t seed);

    float unit(std::int64_t attempt, int t) override {
        return unitOf(bits(static_cast<std::uint64_t>(attempt), t));
    }
    SixUnits units(std::int64_t attempt) override {
        auto k = static_cast<std::uint64_t>(attempt);
        std::uint64_t fourth = mix64(laterKey_ + (k * 2) * golden);
        std::uint64_t sixth = mix64(laterKey_ + (k * 2 + 1) * golden);
        return {unitOf(bits(k, 0)),
                unitOf(bits(k, 1)),
                unitOf(bits(k, 2)),
                unitOf(fourth >> 40),
                unitOf(fourth >> 16 & 0xFFFFFF),
                unitOf(sixth >> 40)};
    }

    // The 24 bits behind value t of an attempt.
    std::uint32_t bits(std::uint64_t attempt, int t) const {
        if (t < 3) {
            auto shape = static_cast<std::size_t>(t);
            return hash32(static_cast<std::uint32_t>(attempt) ^ keys_[shape], hashShapes[shape]) >>
                   8;
        }
        std::uint64_t mixed = mix64(laterKey_ + (attempt * 2 + (t == 5 ? 1 : 0)) * golden);
        return static_cast<std::uint32_t>(t == 4 ? mixed >> 16 & 0xFFFFFF : mixed >> 40);
    }
    std::uint32_t key(int t) const { return keys_[static_cast<std::size_t>(t)]; }

    // Good 32-bit integer hashes: xor-shift, multiply, twice, and a last xor-shift.
    struct HashShape {
        int s1;
        std::uint32_t m1;
        int s2;
        std::uint32_t m2;
        int s3;
    };
    static constexpr std::array<HashShape, 3> hashShapes{{{16, 0x7FEB352DU, 15, 0x846CA68BU, 16},
                                                          {16, 0x21F0AAADU, 15, 0x735A2D97U, 15},
                                                          {16, 0x045D9F3BU, 16, 0x045D9F3BU, 16}}};
    static constexpr std::uint32_t hash32(std::uint32_t x, const HashShape& h) {
        x ^= x >> h.s1;
        x *= h.m1;
        x ^= x >> h.s2;
        x *= h.m2;
        return x ^ (x >> h.s3);
    }
    // The SplitMix64 output function: a strong mix of one 64-bit word.
    static constexpr std::uint64_t mix64(std::uint64_t z) {
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

  private:
    static constexpr float unitOf(std::uint64_t bits) {
        return static_cast<float>(static_cast<std::uint32_t>(bits)) * (1.0f / 16777216.0f);
    }
    static constexpr std::uint64_t golden = 0x9E3779B97F4A7C15ULL;

    std::optional<std::uint64_t> nextSeed_;
    std::array<std::uint32_t, 3> keys_{};
    std::uint64_t laterKey_ = 0;
};

} // namespace numir
