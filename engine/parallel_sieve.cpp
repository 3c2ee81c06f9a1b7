#include "parallel_sieve.h"

#include <algorithm>
#include <array>
#include <utility>

namespace numir {

int SearchThreads::resolved() const {
    const int wanted = count > 0 ? count : static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(wanted, 1, 16);
}

namespace {

// A batch is worth a hand-over between threads; a block alone is too little work.
constexpr std::int64_t batchLength = 16 * static_cast<std::int64_t>(screenBlock);

} // namespace

ParallelSieve::ParallelSieve(const ClockSeededRandom& random, ScreenPath path, DrawFilter filter,
                             int threads, std::int64_t firstAttempt, std::int64_t endAttempt,
                             const std::uint8_t* table)
    : random_(random), path_(path), filter_(std::move(filter)), firstAttempt_(firstAttempt),
      endAttempt_(endAttempt),
      batchCount_((endAttempt - firstAttempt + batchLength - 1) / batchLength),
      // A few batches ahead for each thread keep every core busy while bounding what is
      // screened in vain when the run ends.
      slots_(static_cast<std::size_t>(4 * threads)),
      table_(std::make_shared<const Table>(table, table + tripleTableSize)) {
    for (int t = 1; t < threads; ++t)
        workers_.emplace_back([this] { work(); });
}

ParallelSieve::~ParallelSieve() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    work_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

std::int64_t ParallelSieve::startOf(std::int64_t index) const {
    return firstAttempt_ + index * batchLength;
}

void ParallelSieve::screen(std::int64_t index, const std::uint8_t* table, Screened& into) const {
    std::array<std::uint16_t, screenBlock> survivors;
    const std::int64_t end = std::min(startOf(index + 1), endAttempt_);
    into.passing.clear();
    for (std::int64_t first = startOf(index); first < end;
         first += static_cast<std::int64_t>(screenBlock)) {
        const auto count =
            static_cast<std::size_t>(std::min<std::int64_t>(end - first, screenBlock));
        const std::size_t kept = screenFirstTriples(random_, static_cast<std::uint64_t>(first),
                                                    count, table, survivors.data(), path_);
        for (std::size_t i = 0; i < kept; ++i)
            if (auto passing = filter_(first + survivors[i]))
                into.passing.push_back(*passing);
    }
    into.index = index;
}

void ParallelSieve::claim(std::int64_t index) {
    nextClaim_ = std::max(nextClaim_, index + 1);
    Screened& slot = slotOf(index);
    slot.index = index;
    slot.done = false;
}

// Kept only while the slot still waits for this batch: it may have been taken over.
void ParallelSieve::store(std::int64_t index, Screened& screened) {
    Screened& slot = slotOf(index);
    if (slot.index != index || slot.done)
        return;
    std::swap(slot.passing, screened.passing);
    slot.done = true;
}

void ParallelSieve::work() {
    Screened found;
    std::unique_lock lock(mutex_);
    for (;;) {
        work_.wait(lock, [this] { return stopping_ || claimable(); });
        if (stopping_)
            return;
        const std::int64_t index = nextClaim_;
        claim(index);
        const std::shared_ptr<const Table> table = table_;
        lock.unlock();
        screen(index, table->data(), found);
        lock.lock();
        store(index, found);
    }
}

ParallelSieve::Batch ParallelSieve::next(const std::uint8_t* table) {
    const std::int64_t index = current_.index + 1;
    std::shared_ptr<const Table> copy;
    if (std::exchange(tableChanged_, false))
        copy = std::make_shared<const Table>(table, table + tripleTableSize);
    std::unique_lock lock(mutex_);
    if (copy)
        table_ = std::move(copy);
    for (;;) {
        Screened& slot = slotOf(index);
        if (slot.index == index && slot.done) {
            std::swap(current_.passing, slot.passing);
            slot.index = -1;
            break;
        }
        // Nobody has it, or a worker is late and there is nothing further on to screen
        // meanwhile: screened here.
        if (nextClaim_ <= index || !claimable()) {
            claim(index);
            slot.index = -1; // a late worker's result is not waited for, and dropped
            lock.unlock();
            screen(index, table, current_);
            lock.lock();
            break;
        }
        const std::int64_t further = nextClaim_;
        claim(further);
        lock.unlock();
        screen(further, table, further_);
        lock.lock();
        store(further, further_);
    }
    current_.index = index;
    ++consumed_;
    lock.unlock();
    work_.notify_all();
    return {std::min(startOf(index + 1), endAttempt_), current_.passing};
}

} // namespace numir
