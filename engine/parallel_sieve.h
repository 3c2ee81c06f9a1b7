// Screens the blocks of a long run's attempts on every logical processor, while the thread
// that runs the search takes each block's survivors in attempt order and judges them, as it
// would have screened them itself. That thread never waits for a worker: while the block it
// needs is being screened it screens one further on, and takes over a block that is late.
// Screening only drops attempts whose first picks belong to no live combination, and the
// live combinations only ever become fewer, so a block screened with an older table keeps
// at most a few attempts more, which the search judges as it would any other: the same
// seed gives the same lines and attempts with any number of threads. Judging is the
// search's business.
#pragma once

#include "first_picks.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace numir {

// How many threads screen a long run, and from which attempt on: a short run starts none.
struct SearchThreads {
    int count = 0; // 0: one for each logical processor, at most 16
    std::int64_t startAfter = 1'000'000;

    int resolved() const;
};

class ParallelSieve {
  public:
    // Blocks of screenBlock attempts from firstAttempt, up to endAttempt; threads counts the
    // search's own thread, which screens too.
    ParallelSieve(const ClockSeededRandom& random, ScreenPath path, int threads,
                  std::int64_t firstAttempt, std::int64_t endAttempt, const std::uint8_t* table);
    ~ParallelSieve(); // every worker has ended when it returns
    ParallelSieve(const ParallelSieve&) = delete;
    ParallelSieve& operator=(const ParallelSieve&) = delete;

    // The survivors of the next block in order, which starts at attempt, as offsets into it;
    // table is the search's table as it is now.
    std::size_t survivors(std::int64_t attempt, const std::uint8_t* table, std::uint16_t* out);
    // The live combinations have become fewer: workers take a copy of table from now on.
    void tableChanged(const std::uint8_t* table);

  private:
    struct Slot {
        std::int64_t block = -1; // which block it holds or is being screened for
        bool done = false;
        std::size_t kept = 0;
        std::array<std::uint16_t, screenBlock> survivors{};
    };
    using Table = std::vector<std::uint8_t>;

    void work();
    std::size_t screen(std::int64_t block, const std::uint8_t* table, std::uint16_t* out) const;
    Slot& slotOf(std::int64_t block) {
        return slots_[static_cast<std::size_t>(block) % slots_.size()];
    }
    bool claimable() const {
        return nextClaim_ < consumed_ + static_cast<std::int64_t>(slots_.size()) &&
               nextClaim_ < blockCount_;
    }
    // Marks block as being screened; the caller screens it.
    Slot& claim(std::int64_t block);
    void store(std::int64_t block, std::size_t kept, const std::uint16_t* survivors);
    std::size_t consumed(std::size_t kept);

    const ClockSeededRandom& random_;
    const ScreenPath path_;
    const std::int64_t firstAttempt_, endAttempt_, blockCount_;

    std::mutex mutex_;
    std::condition_variable work_;
    std::vector<Slot> slots_;
    std::int64_t nextClaim_ = 0, consumed_ = 0; // blocks, from firstAttempt
    std::shared_ptr<const Table> table_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

} // namespace numir
