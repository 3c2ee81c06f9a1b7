#include "random_source.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>

namespace numir {

ClockSeededRandom::ClockSeededRandom() : processTag_(std::random_device()()) {
    reseed();
}

ClockSeededRandom::ClockSeededRandom(std::uint64_t firstSeed) : nextSeed_(firstSeed) {
    reseed();
}

// A run that starts within the same tick as the one before takes the next count, so no two
// runs of one program share a key.
void ClockSeededRandom::reseed() {
    std::uint64_t seed = 0;
    if (nextSeed_) {
        seed = (*nextSeed_)++;
    } else {
        auto now = static_cast<std::uint64_t>(
            std::chrono::high_resolution_clock::now().time_since_epoch().count());
        seed = lastClockSeed_ = std::max(now, lastClockSeed_ + 1);
    }
    key_ = {static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32) ^ processTag_};
}

SixUnits attemptUnits(const RandomSource& random, std::uint64_t attempt) {
    const PhiloxCounter first = random.block(attempt, 0), second = random.block(attempt, 1);
    SixUnits units{};
    const std::uint32_t words[] = {first[0], first[1], first[2], first[3], second[0], second[1]};
    for (std::size_t t = 0; t < units.size(); ++t)
        units[t] = static_cast<float>(words[t] >> 8) * (1.0f / 16777216.0f);
    return units;
}

std::uint32_t WordStream::next() {
    if (used_ == words_.size()) {
        words_ = random_.block(block_++, 2);
        used_ = 0;
    }
    return words_[used_++];
}

double WordStream::unitAboveZero() {
    const std::uint64_t high = next(), low = next();
    const std::uint64_t bits = ((high << 32) | low) >> 11; // 53 bits
    return static_cast<double>(bits + 1) * 0x1p-53;
}

// Lemire's multiply-and-shift, drawing again in the few cases that would favour some indices.
std::uint32_t WordStream::below(std::uint32_t count) {
    std::uint64_t product = std::uint64_t{next()} * count;
    if (static_cast<std::uint32_t>(product) < count) {
        const std::uint32_t unfair = static_cast<std::uint32_t>(-count) % count;
        while (static_cast<std::uint32_t>(product) < unfair)
            product = std::uint64_t{next()} * count;
    }
    return static_cast<std::uint32_t>(product >> 32);
}

// Inversion: more than k attempts are needed exactly when u <= (1 - p)^k, u uniform over
// (0, 1]. log1p keeps log(1 - p) exact for the tiny p of a narrow run.
std::uint64_t WordStream::attemptsToSuccess(double p) {
    constexpr double most = 0x1p62; // far beyond any limit on attempts
    const double u = unitAboveZero();
    if (p >= 1)
        return 1;
    const double failures = p > 0 ? std::floor(std::log(u) / std::log1p(-p)) : most;
    return 1 + static_cast<std::uint64_t>(std::min(failures, most));
}

} // namespace numir
