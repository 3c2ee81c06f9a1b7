#include "two_thread_screen.h"

#include <algorithm>
#include <cstring>

namespace numir {
namespace {

// A stretch takes the helper a few tens of microseconds, so it waits for the next one
// awake, giving its core away only after a while.
template <class Ready> void waitUntil(Ready ready) {
    for (int spins = 0; !ready(); ++spins)
        if (spins > 1000)
            std::this_thread::yield();
}

} // namespace

TwoThreadScreen::TwoThreadScreen(const ClockSeededRandom& random, ScreenPath path)
    : random_(random), path_(path), helper_([this] { helperLoop(); }) {}

TwoThreadScreen::~TwoThreadScreen() {
    stop_.store(true, std::memory_order_release);
    helper_.join();
}

void TwoThreadScreen::helperLoop() {
    std::uint64_t seen = 0;
    for (;;) {
        waitUntil([&] {
            return stop_.load(std::memory_order_acquire) ||
                   job_.load(std::memory_order_acquire) != seen;
        });
        if (stop_.load(std::memory_order_acquire))
            return;
        seen = job_.load(std::memory_order_acquire);
        screenRange(first_, begin_, end_, tableCopy_.data(), theirs_);
        done_.store(seen, std::memory_order_release);
    }
}

void TwoThreadScreen::screenRange(std::uint64_t first, std::size_t begin, std::size_t end,
                                  const std::uint8_t* table,
                                  std::vector<std::uint32_t>& survivors) const {
    survivors.clear();
    std::array<std::uint16_t, screenBlock> block;
    for (std::size_t at = begin; at < end; at += screenBlock) {
        std::size_t count = std::min(screenBlock, end - at);
        std::size_t kept =
            screenFirstTriples(random_, first + at, count, table, block.data(), path_);
        for (std::size_t i = 0; i < kept; ++i)
            survivors.push_back(static_cast<std::uint32_t>(at + block[i]));
    }
}

std::span<const std::uint32_t> TwoThreadScreen::screen(std::uint64_t first, std::size_t count,
                                                       const std::uint8_t* table) {
    std::size_t half = (count / 2 + screenBlock - 1) / screenBlock * screenBlock;
    half = std::min(half, count);
    std::memcpy(tableCopy_.data(), table, tableCopy_.size());
    first_ = first, begin_ = half, end_ = count;
    std::uint64_t job = job_.load(std::memory_order_relaxed) + 1;
    job_.store(job, std::memory_order_release);
    screenRange(first, 0, half, table, mine_);
    waitUntil([&] { return done_.load(std::memory_order_acquire) == job; });
    mine_.insert(mine_.end(), theirs_.begin(), theirs_.end());
    return mine_;
}

} // namespace numir
