#include "candidate_search.h"

#include "candidate_draw.h"
#include "run_state.h"

#include <bit>

namespace numir {
namespace {

constexpr double allCombinations = 6096454; // six numbers of 43

enum class Verdict { Rejected, Accepted, Stopped };

// The steps that follow the fixed filters, for a combination that passes them: the odd-sum
// quota, the repeat test, acceptance, and the stop once the count is out of reach.
Verdict judge(RunState& state, NumberMask numbers, std::vector<std::string>& lines) {
    const bool oddSum = hasOddSum(numbers);
    if (oddSum && !state.takeOddDraw())
        return Verdict::Rejected;
    // Only a repeated odd draw lowers what the run can still reach.
    if (state.isRepeat(numbers))
        return oddSum && !state.targetReachable() ? Verdict::Stopped : Verdict::Rejected;
    state.accept(numbers, oddSum);
    lines.push_back(lineText(numbers));
    return Verdict::Accepted;
}

// Every attempt drawn by the rule, as the plain process reads.
SearchOutcome drawEveryAttempt(const PredictionSettings& settings, RunState& state,
                               const RandomSource& random, std::int32_t attemptLimit) {
    const CombinationFilter filter(settings);
    std::vector<std::string> lines;
    for (std::int64_t attempt = 0; attempt < attemptLimit; ++attempt) {
        const Candidate drawn =
            drawCandidate(attemptUnits(random, static_cast<std::uint64_t>(attempt)));
        if (!filter.passes(drawn.numbers, drawn.sum))
            continue;
        const auto attempts = static_cast<std::int32_t>(attempt + 1);
        if (judge(state, drawn.numbers, lines) == Verdict::Stopped)
            return SearchStopped{attempts};
        if (state.finished())
            return SearchFinished{std::move(lines), attempts};
    }
    return AttemptLimitReached{attemptLimit};
}

// The combinations still open, and the attempts between them skipped by their law.
SearchOutcome sampleOpenCombinations(const std::vector<NumberMask>& passing, RunState& state,
                                     RandomSource& random, std::int32_t attemptLimit) {
    std::vector<NumberMask> evenOpen, odd;
    evenOpen.reserve(passing.size()), odd.reserve(passing.size());
    for (NumberMask numbers : passing)
        (hasOddSum(numbers) ? odd : evenOpen).push_back(numbers);
    WordStream words(random);
    std::vector<std::string> lines;
    std::int64_t attempts = 0;
    while (!state.finished()) {
        const std::size_t oddOpen = state.quotaLeft() ? odd.size() : 0;
        const std::size_t open = evenOpen.size() + oddOpen;
        if (open == 0) // nothing can ever be accepted again
            return AttemptLimitReached{attemptLimit};
        const std::uint64_t skipped =
            words.attemptsToSuccess(static_cast<double>(open) / allCombinations);
        if (skipped > static_cast<std::uint64_t>(attemptLimit - attempts))
            return AttemptLimitReached{attemptLimit};
        attempts += static_cast<std::int64_t>(skipped);
        const std::size_t drawn = words.below(static_cast<std::uint32_t>(open));
        if (drawn >= evenOpen.size()) {
            if (judge(state, odd[drawn - evenOpen.size()], lines) == Verdict::Stopped)
                return SearchStopped{static_cast<std::int32_t>(attempts)};
            continue;
        }
        judge(state, evenOpen[drawn], lines);
        evenOpen[drawn] = evenOpen.back(); // written: no longer open
        evenOpen.pop_back();
    }
    return SearchFinished{std::move(lines), static_cast<std::int32_t>(attempts)};
}

} // namespace

std::string lineText(NumberMask numbers) {
    std::string line;
    for (; numbers != 0; numbers &= numbers - 1) {
        const int number = std::countr_zero(numbers);
        line += {static_cast<char>('0' + number / 10), static_cast<char>('0' + number % 10)};
    }
    return line;
}

SearchOutcome searchCandidates(const PredictionSettings& settings, const PassingSet& passing,
                               RandomSource& random, std::int32_t attemptLimit) {
    random.reseed();
    RunState state(settings, passing.counts());
    if (!state.targetReachable())
        return SearchStopped{0};
    if (auto listed = passing.list(sampledSetLimit))
        return sampleOpenCombinations(*listed, state, random, attemptLimit);
    return drawEveryAttempt(settings, state, random, attemptLimit);
}

} // namespace numir
