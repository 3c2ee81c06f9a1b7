#include "random_source.h"

#include <algorithm>
#include <chrono>
#include <random>

namespace numir {

void RandomSource::firstUnits(std::int64_t firstAttempt, std::span<float> out) {
    for (float& u : out)
        u = unit(firstAttempt++, 0);
}

SixUnits RandomSource::units(std::int64_t attempt) {
    SixUnits six{};
    for (int t = 0; t < 6; ++t)
        six[static_cast<std::size_t>(t)] = unit(attempt, t);
    return six;
}

ClockSeededRandom::ClockSeededRandom() : processTag_(std::random_device()()) {
    reseed();
}

ClockSeededRandom::ClockSeededRandom(std::uint64_t firstSeed) : nextSeed_(firstSeed) {
    reseed();
}

// The clock's count of nanoseconds; a run that starts within the same tick as the one before
// takes the next count, so no two runs of one program share a sequence, and the process tag
// keeps two programs started in the same tick apart.
void ClockSeededRandom::reseed() {
    if (nextSeed_) {
        seed((*nextSeed_)++);
        return;
    }
    auto now = static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    lastClockSeed_ = std::max(now, lastClockSeed_ + 1);
    seed(lastClockSeed_);
}

// The seed is the key of Philox4x32-10 (Salmon, Moraes, Dror and Shaw, "Parallel random
// numbers: as easy as 1, 2, 3", SC 2011; the reference is their Random123 library).
void ClockSeededRandom::seed(std::uint64_t seed) {
    key_ = {static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32) ^ processTag_};
}

} // namespace numir
