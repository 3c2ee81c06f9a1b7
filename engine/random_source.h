// Where the search gets its random values: value t (0..5) of attempt k, on demand, so a
// candidate that is rejected after its first picks never pays for the rest. The search
// reseeds once at the start of every run; tests hand in scripted sequences, the program
// ClockSeededRandom.
#pragma once

#include "philox.h"

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

// Philox4x32-10 (see philox.h), keyed by the run's seed, which comes from the clock at the
// start of every run: value t of attempt k is word t % 4 of the output for the counter
// (k, 0, t / 4, 0), cut to its upper 24 bits over 2^24, so it never rounds up to 1. Any
// value can be had without the ones before it, and the first three of an attempt, which
// nearly every attempt of a hard run ends after, come from one call.
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
        auto six = sixBits(static_cast<std::uint64_t>(attempt));
        return {unitOf(six[0]), unitOf(six[1]), unitOf(six[2]),
                unitOf(six[3]), unitOf(six[4]), unitOf(six[5])};
    }

    // The 24 bits behind value t of an attempt.
    std::uint32_t bits(std::uint64_t attempt, int t) const {
        return block(attempt, static_cast<std::uint32_t>(t / 4))[static_cast<std::size_t>(t % 4)] >>
               8;
    }
    std::array<std::uint32_t, 6> sixBits(std::uint64_t attempt) const {
        PhiloxCounter first = block(attempt, 0), second = block(attempt, 1);
        return {first[0] >> 8, first[1] >> 8,  first[2] >> 8,
                first[3] >> 8, second[0] >> 8, second[1] >> 8};
    }
    const PhiloxKey& key() const { return key_; }

  private:
    PhiloxCounter block(std::uint64_t attempt, std::uint32_t index) const {
        return philox4x32x10({static_cast<std::uint32_t>(attempt),
                              static_cast<std::uint32_t>(attempt >> 32), index, 0},
                             key_);
    }
    static constexpr float unitOf(std::uint32_t bits) {
        return static_cast<float>(bits) * (1.0f / 16777216.0f);
    }

    std::optional<std::uint64_t> nextSeed_;
    std::uint64_t lastClockSeed_ = 0;
    std::uint32_t processTag_ = 0; // tells apart two copies of the program started at once
    PhiloxKey key_{};
};

} // namespace numir
