#include "candidate_search.h"

#include "candidate_draw.h"
#include "first_picks.h"
#include "live_prefixes.h"
#include "parallel_sieve.h"
#include "run_state.h"

#include <algorithm>
#include <bit>
#include <memory>
#include <optional>
#include <span>
#include <type_traits>

namespace numir {
namespace {

using namespace draw;

enum class Verdict { Rejected, Accepted, Stopped };

// One run. Live are the passing combinations not yet written and, while quota is left, the
// odd ones even once written, since drawing one again uses quota. A candidate that is not
// live changes nothing but the attempts count, so an attempt whose first picks rule out
// every live combination is dropped before its other values are computed.
template <class Source> class Run {
  public:
    Run(const PredictionSettings& settings, const CombinationFilter& filter,
        const PassingSet& passing, PredictionFile& file, Source& random, ScreenPath path,
        SearchThreads threads)
        : filter_(filter), file_(file), random_(random), path_(path), threads_(threads),
          threadCount_(threads.resolved()), state_(settings, passing.counts()) {
        auto all = passing.list(livePrefixLimit);
        if (!all)
            return;
        live_ = std::make_unique<LivePrefixes>();
        for (NumberMask numbers : *all) {
            live_->add(numbers);
            if (sumOf(numbers) % 2 == 1)
                oddCombinations_.push_back(numbers);
        }
        if (!state_.quotaLeft())
            dropOddCombinations();
    }

    RunOutcome run(std::int32_t attemptLimit) {
        if (!state_.targetReachable())
            return SearchStopped{0};
        for (std::int64_t attempt = 0; attempt < attemptLimit;) {
            startThreadsOnceLong(attempt, attemptLimit);
            if (sieve_) { // a batch at a time, its draws that pass the filters found already
                auto batch = sieve_->next(live_->tripleTable());
                for (const PassingDraw& draw : batch.passing)
                    if (auto end = judgeAttempt(draw.attempt, {draw.numbers, draw.sum}))
                        return *end;
                attempt = batch.end;
                continue;
            }
            auto count = static_cast<std::size_t>(
                std::min<std::int64_t>(screenBlock, attemptLimit - attempt));
            for (std::uint16_t offset : screen(attempt, count)) {
                std::int64_t current = attempt + offset;
                if (!std::is_same_v<Source, ClockSeededRandom> && live_ && !firstThreeLive(current))
                    continue;
                if (auto end = judgeAttempt(current, drawSix(ranks(current))))
                    return *end;
            }
            attempt += static_cast<std::int64_t>(count);
        }
        return AttemptLimitReached{attemptLimit};
    }

  private:
    // A run that proves long screens its attempts on every logical processor from here on.
    void startThreadsOnceLong(std::int64_t attempt, std::int64_t attemptLimit) {
        if constexpr (std::is_same_v<Source, ClockSeededRandom>) {
            if (!sieve_ && live_ && threadCount_ > 1 && attempt >= threads_.startAfter)
                sieve_ = std::make_unique<ParallelSieve>(
                    random_, path_,
                    [this](std::int64_t attempt) -> std::optional<PassingDraw> {
                        Candidate drawn = drawSix(ranks(attempt));
                        if (!filter_.passes(drawn.numbers, drawn.sum))
                            return std::nullopt;
                        return PassingDraw{attempt, drawn.numbers, drawn.sum};
                    },
                    threadCount_, attempt, attemptLimit, live_->tripleTable());
        }
    }

    // Judges one attempt's six picks; the run's outcome once it ends there. A survivor of the
    // program's own source needs no second look after an acceptance earlier in its block: a
    // candidate that is no longer live is judged like any other.
    std::optional<RunOutcome> judgeAttempt(std::int64_t attempt, const Candidate& candidate) {
        auto attempts = static_cast<std::int32_t>(attempt + 1);
        Verdict verdict = judge(candidate);
        if (verdict == Verdict::Stopped)
            return SearchStopped{attempts};
        if (verdict == Verdict::Accepted && state_.finished())
            return finish(attempts);
        return std::nullopt;
    }

    // The attempts of a block that their first picks do not rule out. The program's own
    // source goes through the vector sieve of the first three picks.
    std::span<const std::uint16_t> screen(std::int64_t attempt, std::size_t count) {
        std::size_t kept = 0;
        if (!live_) {
            for (std::size_t i = 0; i < count; ++i)
                survivors_[kept++] = static_cast<std::uint16_t>(i);
        } else if constexpr (std::is_same_v<Source, ClockSeededRandom>) {
            kept = screenFirstTriples(random_, static_cast<std::uint64_t>(attempt), count,
                                      live_->tripleTable(), survivors_.data(), path_);
        } else {
            std::array<float, screenBlock> units;
            random_.firstUnits(attempt, std::span(units.data(), count));
            for (std::size_t i = 0; i < count; ++i)
                if (live_->startsWith(rankOf(units[i], 43) + 1))
                    survivors_[kept++] = static_cast<std::uint16_t>(i);
        }
        return {survivors_.data(), kept};
    }

    SixRanks ranks(std::int64_t attempt) {
        if constexpr (std::is_same_v<Source, ClockSeededRandom>)
            return ranksOf(random_.sixBits(static_cast<std::uint64_t>(attempt)));
        else
            return ranksOf(random_.units(attempt));
    }

    // Whether the first three picks of an attempt may still lead to a live combination;
    // only those go on to draw all six.
    bool firstThreeLive(std::int64_t attempt) {
        int a = rankOf(random_.unit(attempt, 0), 43) + 1;
        int b = rankOf(random_.unit(attempt, 1), 42) + 1;
        b += b >= a ? 1 : 0;
        int c = rankOf(random_.unit(attempt, 2), 41) + 1;
        c += c >= std::min(a, b) ? 1 : 0;
        c += c >= std::max(a, b) ? 1 : 0;
        return live_->startsWith(a, b) && live_->startsWith(a, b, c);
    }

    Verdict judge(const Candidate& candidate) {
        if (!filter_.passes(candidate.numbers, candidate.sum))
            return Verdict::Rejected;
        const bool oddSum = candidate.sum % 2 == 1;
        if (oddSum) {
            bool withinQuota = state_.takeOddDraw();
            if (live_ && withinQuota && !state_.quotaLeft())
                dropOddCombinations();
            if (!withinQuota)
                return Verdict::Rejected;
        }
        // Only a repeated odd draw lowers what the run can still reach.
        if (state_.isRepeat(candidate.numbers))
            return oddSum && !state_.targetReachable() ? Verdict::Stopped : Verdict::Rejected;
        state_.accept(candidate.numbers, oddSum);
        if (live_ && !oddSum)
            live_->remove(candidate.numbers), liveChanged();
        file_.writeLine(lineText(candidate));
        return Verdict::Accepted;
    }

    void liveChanged() {
        if (sieve_)
            sieve_->tableChanged();
    }

    RunOutcome finish(std::int32_t attempts) {
        sieve_.reset(); // no worker outlives the search
        auto finished = file_.finish(attempts);
        if (auto* error = std::get_if<FileError>(&finished))
            return *error;
        return std::get<std::string>(finished);
    }

    // Once the quota is used up an odd-sum draw changes nothing but the attempts count.
    void dropOddCombinations() {
        for (NumberMask numbers : oddCombinations_)
            live_->remove(numbers);
        oddCombinations_.clear();
        liveChanged();
    }

    const CombinationFilter& filter_;
    PredictionFile& file_;
    Source& random_;
    ScreenPath path_;
    SearchThreads threads_;
    int threadCount_; // asked of the system once: the question costs a system call
    RunState state_;
    std::unique_ptr<LivePrefixes> live_;
    std::unique_ptr<ParallelSieve> sieve_;
    std::vector<NumberMask> oddCombinations_;
    std::array<std::uint16_t, screenBlock> survivors_{}; // offsets into the block
};

} // namespace

Candidate drawCandidate(const SixUnits& units) {
    return drawSix(ranksOf(units));
}

std::array<int, 6> Candidate::ascending() const {
    std::array<int, 6> ascending{};
    NumberMask rest = numbers;
    for (int& number : ascending) {
        number = std::countr_zero(rest);
        rest &= rest - 1;
    }
    return ascending;
}

std::string lineText(const Candidate& candidate) {
    std::string line;
    line.reserve(12);
    for (int number : candidate.ascending()) {
        line.push_back(static_cast<char>('0' + number / 10));
        line.push_back(static_cast<char>('0' + number % 10));
    }
    return line;
}

CandidateSearch::CandidateSearch(const PredictionSettings& settings, std::int32_t attemptLimit,
                                 ScreenPath path, SearchThreads threads)
    : settings_(settings), filter_(settings), passing_(settings), attemptLimit_(attemptLimit),
      path_(path), threads_(threads) {}

RunOutcome CandidateSearch::run(PredictionFile& file, RandomSource& random) const {
    random.reseed();
    // The program's own source is known here, so its values are computed inline.
    RunOutcome outcome = [&]() -> RunOutcome {
        if (auto* own = dynamic_cast<ClockSeededRandom*>(&random))
            return Run<ClockSeededRandom>(settings_, filter_, passing_, file, *own, path_, threads_)
                .run(attemptLimit_);
        return Run<RandomSource>(settings_, filter_, passing_, file, random, path_, threads_)
            .run(attemptLimit_);
    }();
    if (!std::holds_alternative<std::string>(outcome))
        file.abandon();
    return outcome;
}

} // namespace numir
