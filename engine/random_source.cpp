#include "random_source.h"

#include <chrono>

namespace numir {
namespace {

std::uint64_t rotateLeft(std::uint64_t x, int k) {
    return (x << k) | (x >> (64 - k));
}

std::uint64_t splitMix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

} // namespace

ClockSeededRandom::ClockSeededRandom() {
    reseed();
}

void ClockSeededRandom::reseed() {
    auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    seed(static_cast<std::uint64_t>(now));
}

void ClockSeededRandom::seed(std::uint64_t seed) {
    // SplitMix64 spreads even a small or repeated seed over the whole state, never all zero.
    for (auto& word : state_)
        word = splitMix64(seed);
}

std::uint64_t ClockSeededRandom::nextBits() {
    std::uint64_t result = state_[0] + state_[3];
    std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = rotateLeft(state_[3], 45);
    return result;
}

namespace {

constexpr float unitOf24Bits(std::uint64_t bits) {
    return static_cast<float>(bits & 0xFFFFFF) * (1.0f / 16777216.0f);
}

} // namespace

float ClockSeededRandom::nextUnit() {
    return unitOf24Bits(nextBits() >> 40);
}

void ClockSeededRandom::nextSix(SixUnits& units) {
    for (std::size_t i = 0; i < units.size(); i += 2) {
        std::uint64_t bits = nextBits();
        units[i] = unitOf24Bits(bits >> 40);
        units[i + 1] = unitOf24Bits(bits >> 16);
    }
}

} // namespace numir
