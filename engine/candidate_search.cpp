#include "candidate_search.h"

#include <algorithm>
#include <bit>
#include <optional>
#include <unordered_set>

namespace numir {

namespace {

// Each draw takes the r-th number still in the pool. Rather than shift a pool, the ranks are
// turned into numbers from the last draw backwards: a later draw's rank, counted among the
// numbers left after an earlier draw, moves up by one when the earlier number stands at or
// below it. The comparisons are independent and branch-free, which matters because random
// data defeats branch prediction.
[[gnu::always_inline]] inline Candidate drawSix(const SixUnits& units) {
    std::array<int, 6> value{}; // rank from 0, finally the number less one
#pragma GCC unroll 6
    for (std::size_t t = 0; t < 6; ++t) {
        auto remaining = static_cast<unsigned>(43 - t);
        // In double the product is exact, so the largest float below 1 still picks the last;
        // the unsigned minimum keeps even a faulty source's value inside the pool.
        auto scaled = static_cast<unsigned>(static_cast<double>(units[t]) * remaining);
        value[t] = static_cast<int>(std::min(scaled, remaining - 1));
    }
#pragma GCC unroll 5
    for (std::size_t earlier = 5; earlier-- > 0;) {
#pragma GCC unroll 5
        for (std::size_t later = earlier + 1; later < 6; ++later)
            value[later] += value[later] >= value[earlier] ? 1 : 0;
    }
    NumberMask numbers = 0;
    int sum = 6;
    for (int v : value) {
        numbers |= numberBit(v + 1);
        sum += v;
    }
    return Candidate{numbers, sum};
}

struct SearchProgress {
    std::int32_t attempts = 0;
    int oddCount = 0;
};

// Draws until a candidate passes the filters and the odd-sum quota; nothing once the
// attempts reach the limit. The hot loop of a run, so drawing is inlined into it.
std::optional<Candidate> nextPassing(const CombinationFilter& filter, int oddSumQuota,
                                     std::int32_t attemptLimit, RandomSource& random,
                                     SearchProgress& progress) {
    SixUnits units{};
    while (progress.attempts < attemptLimit) {
        ++progress.attempts;
        random.nextSix(units);
        Candidate candidate = drawSix(units);
        if (!filter.passes(candidate.numbers, candidate.sum))
            continue;
        // An odd sum uses up quota even when the candidate later proves to be a repeat.
        if (candidate.sum % 2 == 1 && ++progress.oddCount > oddSumQuota)
            continue;
        return candidate;
    }
    return std::nullopt;
}

} // namespace

Candidate drawCandidate(const SixUnits& units) {
    return drawSix(units);
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

CandidateSearch::CandidateSearch(const PredictionSettings& settings, std::int32_t attemptLimit)
    : settings_(settings), filter_(settings), attemptLimit_(attemptLimit) {}

RunOutcome CandidateSearch::run(PredictionFile& file, RandomSource& random) const {
    random.reseed();
    SearchProgress progress;
    int accepted = 0;
    // The mask stands for the line one to one, so repeats are found without comparing text.
    std::unordered_set<NumberMask> acceptedNumbers;
    acceptedNumbers.reserve(static_cast<std::size_t>(std::max<int>(settings_.targetCount, 0)) * 2);
    while (accepted < settings_.targetCount) {
        auto candidate =
            nextPassing(filter_, settings_.oddSumQuota, attemptLimit_, random, progress);
        if (!candidate) {
            file.abandon();
            return AttemptLimitReached{progress.attempts};
        }
        if (!acceptedNumbers.insert(candidate->numbers).second)
            continue;
        ++accepted;
        if (auto error = file.writeLine(lineText(*candidate))) {
            file.abandon();
            return *error;
        }
    }
    auto finished = file.finish(progress.attempts);
    if (auto* error = std::get_if<FileError>(&finished))
        return *error;
    return std::get<std::string>(finished);
}

} // namespace numir
