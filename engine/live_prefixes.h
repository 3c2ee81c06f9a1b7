// The combinations a run can still accept or must still count, indexed by their first one,
// two and three numbers. A candidate whose first picks belong to none of them can change
// nothing but the attempts count, so the search drops it after one, two or three values
// instead of six. Which combinations are live is the search's business.
#pragma once

#include "combination_filter.h"
#include "first_picks.h"

#include <array>
#include <cstdint>
#include <vector>

namespace numir {

class LivePrefixes {
  public:
    LivePrefixes();

    void add(NumberMask combination) { change(combination, +1); }
    void remove(NumberMask combination) { change(combination, -1); }

    // The bit of a, b, c (tripleBit) is set while some live combination holds all three.
    const std::uint8_t* tripleTable() const { return tripleTable_.data(); }

    bool startsWith(int a) const { return ((singles_ >> a) & 1) != 0; }
    bool startsWith(int a, int b) const {
        return ((pairs_[static_cast<std::size_t>(a)] >> b) & 1) != 0;
    }
    bool startsWith(int a, int b, int c) const {
        std::size_t bit = tripleBit(a, b, c);
        return ((tripleTable_[bit >> 3] >> (bit & 7)) & 1) != 0;
    }

  private:
    static constexpr std::size_t slot(int a, int b) {
        return static_cast<std::size_t>(a) * 44 + static_cast<std::size_t>(b);
    }

    void change(NumberMask combination, int delta);
    void flipTripleBit(std::size_t bit);
    // Counts a subset going up or down; its bits follow the count's moves to and from 0.
    static bool counted(std::uint32_t& count, int delta);

    NumberMask singles_ = 0;
    std::array<NumberMask, 44> pairs_{};    // [a]: the b that pair with a
    std::vector<std::uint8_t> tripleTable_; // in the order the first picks are drawn
    std::array<std::uint32_t, 44> singleCounts_{};
    std::vector<std::uint32_t> pairCounts_;   // [a*44+b], a < b
    std::vector<std::uint32_t> tripleCounts_; // [(a*44+b)*44+c], a < b < c
};

} // namespace numir
