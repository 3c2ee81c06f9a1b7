// Test stand-ins for the random source: exact values of u that make the search draw
// chosen numbers in a chosen order.
#pragma once

#include "random_source.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace numir::testing {

// The u values that draw these six numbers in this order: each u sits in the middle of
// the interval that selects the wanted number's position among those still in the pool.
inline SixUnits unitsDrawing(std::array<int, 6> drawOrder) {
    std::vector<int> pool;
    for (int n = 1; n <= 43; ++n)
        pool.push_back(n);
    SixUnits units{};
    for (std::size_t t = 0; t < 6; ++t) {
        auto found = std::find(pool.begin(), pool.end(), drawOrder[t]);
        if (found == pool.end())
            throw std::invalid_argument("number drawn twice or out of range");
        auto position = static_cast<float>(found - pool.begin());
        units[t] = (position + 0.5f) / static_cast<float>(pool.size());
        pool.erase(found);
    }
    return units;
}

// Attempt k draws script[k % size], so a script repeats to the end of the run.
class ScriptedRandom final : public RandomSource {
  public:
    explicit ScriptedRandom(std::vector<SixUnits> script) : script_(std::move(script)) {}
    void reseed() override { ++reseeds; }
    float unit(std::int64_t attempt, int t) override {
        ++valuesRead;
        auto k = static_cast<std::size_t>(attempt) % script_.size();
        return script_[k][static_cast<std::size_t>(t)];
    }
    int reseeds = 0;
    long long valuesRead = 0;

  private:
    std::vector<SixUnits> script_;
};

} // namespace numir::testing
