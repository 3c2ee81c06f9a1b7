#include "live_prefixes.h"

#include <bit>

namespace numir {

LivePrefixes::LivePrefixes()
    : tripleTable_(tripleTableSize, 0), pairCounts_(44 * 44, 0), tripleCounts_(44 * 44 * 44, 0) {}

bool LivePrefixes::counted(std::uint32_t& count, int delta) {
    bool wasZero = count == 0;
    count = static_cast<std::uint32_t>(static_cast<int>(count) + delta);
    return wasZero != (count == 0);
}

void LivePrefixes::flipTripleBit(std::size_t bit) {
    tripleTable_[bit >> 3] ^= static_cast<std::uint8_t>(1u << (bit & 7));
}

void LivePrefixes::change(NumberMask combination, int delta) {
    std::array<int, 6> n{};
    NumberMask rest = combination;
    for (int& number : n) {
        number = std::countr_zero(rest);
        rest &= rest - 1;
    }
    for (int i = 0; i < 6; ++i) {
        auto a = static_cast<std::size_t>(n[i]);
        if (counted(singleCounts_[a], delta))
            singles_ ^= numberBit(n[i]);
        for (int j = i + 1; j < 6; ++j) {
            auto b = static_cast<std::size_t>(n[j]);
            if (counted(pairCounts_[slot(n[i], n[j])], delta)) {
                pairs_[a] ^= numberBit(n[j]);
                pairs_[b] ^= numberBit(n[i]);
            }
            for (int k = j + 1; k < 6; ++k) {
                if (!counted(tripleCounts_[slot(n[i], n[j]) * 44 + static_cast<std::size_t>(n[k])],
                             delta))
                    continue;
                // The three may be drawn in any order.
                for (auto [x, y, z] : {std::array{n[i], n[j], n[k]}, std::array{n[i], n[k], n[j]},
                                       std::array{n[j], n[i], n[k]}, std::array{n[j], n[k], n[i]},
                                       std::array{n[k], n[i], n[j]}, std::array{n[k], n[j], n[i]}})
                    flipTripleBit(tripleBit(x, y, z));
            }
        }
    }
}

} // namespace numir
