// The sieve of the first three picks over long stretches of attempts on two processor cores:
// this thread screens the first half of a stretch, a helper thread the second. Each half
// goes through screenFirstTriples, so the survivors are the ones one thread would find. The
// helper reads a copy of the table taken for the stretch, so the search may change its own
// table between stretches; which survivors are judged, and how, is the search's business.
#pragma once

#include "first_picks.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <span>
#include <thread>
#include <vector>

namespace numir {

class TwoThreadScreen {
  public:
    // Whether this computer has a second core for the helper.
    static bool worthwhile() { return std::thread::hardware_concurrency() > 1; }

    TwoThreadScreen(const ClockSeededRandom& random, ScreenPath path);
    ~TwoThreadScreen();
    TwoThreadScreen(const TwoThreadScreen&) = delete;
    TwoThreadScreen& operator=(const TwoThreadScreen&) = delete;

    // The offsets i, ascending, of the attempts first + i, i < count, whose first three
    // picks have their bit set in the table.
    std::span<const std::uint32_t> screen(std::uint64_t first, std::size_t count,
                                          const std::uint8_t* table);

  private:
    void helperLoop();
    void screenRange(std::uint64_t first, std::size_t begin, std::size_t end,
                     const std::uint8_t* table, std::vector<std::uint32_t>& survivors) const;

    const ClockSeededRandom& random_;
    const ScreenPath path_;
    std::vector<std::uint32_t> mine_, theirs_;
    std::array<std::uint8_t, tripleTableSize> tableCopy_{};
    // The helper's stretch, written before job_ is raised and read after it is seen.
    std::uint64_t first_ = 0;
    std::size_t begin_ = 0, end_ = 0;
    std::atomic<std::uint64_t> job_{0}, done_{0};
    std::atomic<bool> stop_{false};
    std::thread helper_;
};

} // namespace numir
