// Where a run gets its random values: numbered blocks of four 32-bit words from
// Philox4x32-10 (philox.h) under the run's key, so that any value can be had without the
// ones before it. The program's source takes a new key from the clock at the start of every
// run; tests may stand in their own. Turning words into an attempt's six values, a value in
// (0, 1], an index or a count of attempts is done here once; what they are used for is the
// search's.
#pragma once

#include "philox.h"

#include <array>
#include <cstdint>
#include <optional>

namespace numir {

class RandomSource {
  public:
    virtual ~RandomSource() = default;
    virtual void reseed() = 0;
    // Block index of one stream of the run: four words, each uniform over every value.
    virtual PhiloxCounter block(std::uint64_t index, std::uint32_t stream) const = 0;
};

// Keyed by the clock's count of nanoseconds at the start of every run, and by a tag that
// tells apart two copies of the program started in the same tick.
class ClockSeededRandom final : public RandomSource {
  public:
    ClockSeededRandom();
    // Reseeds with firstSeed, firstSeed + 1, ... instead of the clock, for measurements and
    // tests that must be repeatable.
    explicit ClockSeededRandom(std::uint64_t firstSeed);

    void reseed() override;
    PhiloxCounter block(std::uint64_t index, std::uint32_t stream) const override {
        return philox4x32x10(
            {static_cast<std::uint32_t>(index), static_cast<std::uint32_t>(index >> 32), stream, 0},
            key_);
    }
    const PhiloxKey& key() const { return key_; }

  private:
    std::optional<std::uint64_t> nextSeed_;
    std::uint64_t lastClockSeed_ = 0;
    std::uint32_t processTag_ = 0;
    PhiloxKey key_{};
};

// The six values u, 0 <= u < 1, of one attempt of the plain draw: value t is word t % 4 of
// block attempt of stream t / 4, cut to its upper 24 bits over 2^24 so that it never rounds
// up to 1.
using SixUnits = std::array<float, 6>;
SixUnits attemptUnits(const RandomSource& random, std::uint64_t attempt);

// The words of stream 2 of the run, in order, for every draw that is not an attempt's values.
class WordStream {
  public:
    explicit WordStream(const RandomSource& random) : random_(random) {}

    std::uint32_t next();
    // Uniform over (0, 1], in steps of 2^-53.
    double unitAboveZero();
    // Uniform over 0 .. count - 1 (count > 0), without bias.
    std::uint32_t below(std::uint32_t count);
    // How many independent attempts, each a success with probability p (0 < p <= 1), up to
    // and including the first success: 1 with probability p, k with p (1 - p)^(k - 1).
    std::uint64_t attemptsToSuccess(double p);

  private:
    const RandomSource& random_;
    std::uint64_t block_ = 0;
    PhiloxCounter words_{};
    std::size_t used_ = 4;
};

} // namespace numir
