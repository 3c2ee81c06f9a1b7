#include "parallel_sieve.h"

#include <algorithm>
#include <cstring>

namespace numir {

int SearchThreads::resolved() const {
    const int wanted = count > 0 ? count : static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(wanted, 1, 16);
}

ParallelSieve::ParallelSieve(const ClockSeededRandom& random, ScreenPath path, int threads,
                             std::int64_t firstAttempt, std::int64_t endAttempt,
                             const std::uint8_t* table)
    : random_(random), path_(path), firstAttempt_(firstAttempt), endAttempt_(endAttempt),
      blockCount_((endAttempt - firstAttempt + static_cast<std::int64_t>(screenBlock) - 1) /
                  static_cast<std::int64_t>(screenBlock)),
      // A few blocks ahead for each thread keep every core busy while bounding what is
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

void ParallelSieve::tableChanged(const std::uint8_t* table) {
    auto copy = std::make_shared<const Table>(table, table + tripleTableSize);
    std::lock_guard lock(mutex_);
    table_ = std::move(copy);
}

std::size_t ParallelSieve::screen(std::int64_t block, const std::uint8_t* table,
                                  std::uint16_t* out) const {
    const std::int64_t first = firstAttempt_ + block * static_cast<std::int64_t>(screenBlock);
    const auto count = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(screenBlock), endAttempt_ - first));
    return screenFirstTriples(random_, static_cast<std::uint64_t>(first), count, table, out, path_);
}

ParallelSieve::Slot& ParallelSieve::claim(std::int64_t block) {
    nextClaim_ = std::max(nextClaim_, block + 1);
    Slot& slot = slotOf(block);
    slot.block = block;
    slot.done = false;
    return slot;
}

// Kept only while the slot still waits for this block: it may have been taken over.
void ParallelSieve::store(std::int64_t block, std::size_t kept, const std::uint16_t* survivors) {
    Slot& slot = slotOf(block);
    if (slot.block != block || slot.done)
        return;
    std::memcpy(slot.survivors.data(), survivors, kept * sizeof *survivors);
    slot.kept = kept;
    slot.done = true;
}

std::size_t ParallelSieve::consumed(std::size_t kept) {
    ++consumed_;
    work_.notify_all();
    return kept;
}

void ParallelSieve::work() {
    std::array<std::uint16_t, screenBlock> found;
    std::unique_lock lock(mutex_);
    for (;;) {
        work_.wait(lock, [this] { return stopping_ || claimable(); });
        if (stopping_)
            return;
        const std::int64_t block = nextClaim_;
        claim(block);
        const std::shared_ptr<const Table> table = table_;
        lock.unlock();
        const std::size_t kept = screen(block, table->data(), found.data());
        lock.lock();
        store(block, kept, found.data());
    }
}

std::size_t ParallelSieve::survivors(std::int64_t attempt, const std::uint8_t* table,
                                     std::uint16_t* out) {
    const std::int64_t block = (attempt - firstAttempt_) / static_cast<std::int64_t>(screenBlock);
    std::array<std::uint16_t, screenBlock> found;
    std::unique_lock lock(mutex_);
    for (;;) {
        Slot& slot = slotOf(block);
        if (slot.block == block && slot.done) {
            std::memcpy(out, slot.survivors.data(), slot.kept * sizeof *out);
            slot.block = -1;
            return consumed(slot.kept);
        }
        // Nobody has it, or a worker is late and there is nothing further on to screen
        // meanwhile: screened here.
        if (nextClaim_ <= block || !claimable()) {
            claim(block).block = -1; // a late worker's result is not waited for, and dropped
            lock.unlock();
            const std::size_t kept = screen(block, table, out);
            lock.lock();
            return consumed(kept);
        }
        const std::int64_t further = nextClaim_;
        claim(further);
        lock.unlock();
        const std::size_t kept = screen(further, table, found.data());
        lock.lock();
        store(further, kept, found.data());
    }
}

} // namespace numir
