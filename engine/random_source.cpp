#include "random_source.h"

#include <chrono>

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

ClockSeededRandom::ClockSeededRandom() {
    reseed();
}

ClockSeededRandom::ClockSeededRandom(std::uint64_t firstSeed) : nextSeed_(firstSeed) {
    reseed();
}

void ClockSeededRandom::reseed() {
    if (nextSeed_) {
        seed((*nextSeed_)++);
        return;
    }
    auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    seed(static_cast<std::uint64_t>(now));
}

void ClockSeededRandom::seed(std::uint64_t seed) {
    std::uint64_t keys = mix64(seed + golden);
    keys_ = {static_cast<std::uint32_t>(keys), static_cast<std::uint32_t>(keys >> 32),
             static_cast<std::uint32_t>(mix64(seed + 3 * golden))};
    laterKey_ = mix64(seed + 2 * golden);
}

} // namespace numir
