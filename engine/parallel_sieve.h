// Screens a long run's attempts on every logical processor, while the thread that runs the
// search takes the results in attempt order and judges them as it would have itself. The
// threads screen batches of attempts: the first picks against a copy of the live table,
// then, for the attempts that survive, all six numbers against the run's filters, which
// depend on nothing that changes during the run. Only the few attempts that pass reach the
// search's thread, which alone keeps the run's state (quota, repeats, the lines). That
// thread never waits for a worker: while its next batch is being screened it screens one
// further on, and takes over a batch that is late. The live combinations only ever become
// fewer, so a batch screened with an older table keeps at most a few attempts more, which
// the search judges as it would any other: the same seed gives the same lines and attempts
// with any number of threads.
#pragma once

#include "combination_filter.h"
#include "first_picks.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

namespace numir {

// How many threads screen a long run, and from which attempt on: a short run starts none.
// Measured here, a run past 250,000 attempts (a few milliseconds) gains from the threads
// whatever else it does; before that, starting them would cost more than they save.
struct SearchThreads {
    int count = 0; // 0: one for each logical processor, at most 16
    std::int64_t startAfter = 250'000;

    int resolved() const;
};

// An attempt whose six numbers pass the run's filters.
struct PassingDraw {
    std::int64_t attempt = 0;
    NumberMask numbers = 0;
    int sum = 0;
};

// The six numbers of an attempt when they pass the run's filters; called on any thread.
using DrawFilter = std::function<std::optional<PassingDraw>(std::int64_t attempt)>;

class ParallelSieve {
  public:
    // Attempts from firstAttempt (a block's start) up to endAttempt; threads counts the
    // search's own thread, which screens too.
    ParallelSieve(const ClockSeededRandom& random, ScreenPath path, DrawFilter filter, int threads,
                  std::int64_t firstAttempt, std::int64_t endAttempt, const std::uint8_t* table);
    ~ParallelSieve(); // every worker has ended when it returns
    ParallelSieve(const ParallelSieve&) = delete;
    ParallelSieve& operator=(const ParallelSieve&) = delete;

    // The passing draws of the next batch in order, and where the batch ends; table is the
    // search's table as it is now.
    struct Batch {
        std::int64_t end = 0;
        std::span<const PassingDraw> passing;
    };
    Batch next(const std::uint8_t* table);
    // The live combinations have become fewer: the workers take a copy of the table at the
    // next batch, once however many changes come before it.
    void tableChanged() { tableChanged_ = true; }

  private:
    struct Screened {
        std::int64_t index = -1; // which batch it holds or is being screened for
        bool done = false;
        std::vector<PassingDraw> passing;
    };
    using Table = std::vector<std::uint8_t>;

    void work();
    std::int64_t startOf(std::int64_t index) const;
    void screen(std::int64_t index, const std::uint8_t* table, Screened& into) const;
    Screened& slotOf(std::int64_t index) {
        return slots_[static_cast<std::size_t>(index) % slots_.size()];
    }
    bool claimable() const {
        return nextClaim_ < consumed_ + static_cast<std::int64_t>(slots_.size()) &&
               nextClaim_ < batchCount_;
    }
    // Marks a batch as being screened; the caller screens it.
    void claim(std::int64_t index);
    void store(std::int64_t index, Screened& screened);

    const ClockSeededRandom& random_;
    const ScreenPath path_;
    const DrawFilter filter_;
    const std::int64_t firstAttempt_, endAttempt_, batchCount_;

    std::mutex mutex_;
    std::condition_variable work_;
    std::vector<Screened> slots_;
    std::int64_t nextClaim_ = 0, consumed_ = 0; // batches, from firstAttempt
    std::shared_ptr<const Table> table_;
    bool stopping_ = false;
    bool tableChanged_ = false; // the search thread's own
    std::vector<std::thread> workers_;
    Screened current_, further_; // the search thread's own
};

} // namespace numir
