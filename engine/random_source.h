// Where the search gets its random values. The search asks for six at a time, one per
// number it draws, and reseeds once at the start of every run. Tests hand in scripted
// sequences; the program uses ClockSeededRandom.
#pragma once

#include <array>
#include <cstdint>

namespace numir {

using SixUnits = std::array<float, 6>; // each 0 <= u < 1

class RandomSource {
  public:
    virtual ~RandomSource() = default;
    virtual void reseed() = 0;
    virtual void nextSix(SixUnits& units) = 0;
};

// xoshiro256+ seeded from the clock. Each value is 24 random bits over 2^24, so it can never
// round up to 1; one 64-bit output gives two of them, taken from its strong upper bits.
class ClockSeededRandom final : public RandomSource {
  public:
    ClockSeededRandom();
    void reseed() override;
    void nextSix(SixUnits& units) override;

    void seed(std::uint64_t seed);
    float nextUnit();

  private:
    std::uint64_t nextBits();
    std::array<std::uint64_t, 4> state_{};
};

} // namespace numir
