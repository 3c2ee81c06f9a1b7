// The search against the law of the plain process, computed here without the search's code:
// the chain over accepted even lines, accepted odd lines and odd draws, with the stop rule.
// Fixed seeds keep every comparison repeatable; each fails only beyond one chance in ten
// thousand. Above the sampled sizes, the plain process against the drawing rule read literally.
#include "search/candidate_draw.h"
#include "search/candidate_search.h"
#include "test_support.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <numeric>

namespace numir {
namespace {

using testing::settings;

constexpr double allCombinations = 6096454;
constexpr double chance = 3.719; // the normal deviate beyond which lies one chance in 10,000

// A chi-square over the cells expected to hold five or more (the thinner ones pooled), below
// the value it exceeds with one chance in 10,000 (Wilson-Hilferty).
void expectFits(const std::vector<double>& observed, const std::vector<double>& expected,
                const std::string& what) {
    double chiSquare = 0, cells = 0, observedRest = 0, expectedRest = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] < 5) {
            observedRest += observed[i], expectedRest += expected[i];
            continue;
        }
        chiSquare += std::pow(observed[i] - expected[i], 2) / expected[i], ++cells;
    }
    if (expectedRest >= 5)
        chiSquare += std::pow(observedRest - expectedRest, 2) / expectedRest, ++cells;
    const double h = 2 / (9 * (cells - 1));
    EXPECT_LT(chiSquare, (cells - 1) * std::pow(1 - h + chance * std::sqrt(h), 3)) << what;
}

void expectNear(double seen, double expected, double standardError, const std::string& what) {
    EXPECT_LE(std::abs(seen - expected), chance * standardError + 1e-9)
        << what << ": " << seen << ", expected " << expected;
}

// One run as a chain over (even lines, odd lines, odd draws). From each state that has not
// ended it moves, once an attempt draws a combination that can change the run, to a state
// further on in the numbering, so the numbering is an order of the moves.
class RunChain {
  public:
    RunChain(PassingCounts counts, int target, int quota)
        : target_(target), quota_(quota), moves_(index(target, quota, quota) + 1),
          open_(moves_.size(), 0) {
        for (int even = 0; even <= target; ++even)
            for (int odd = 0; odd <= quota && even + odd < target; ++odd)
                for (int draws = odd; draws <= quota; ++draws)
                    addMoves(counts, even, odd, draws);
    }

    // The law of the odd lines of a finished run, the stop share and the mean attempts.
    struct Law {
        std::vector<double> oddLines;
        double stopped = 0, meanAttempts = 0;
    };
    Law law() const {
        Law law{std::vector<double>(static_cast<std::size_t>(quota_) + 1), 0, 0};
        std::vector<double> p(moves_.size(), 0);
        p[0] = 1;
        for (std::size_t at = 0; at < p.size(); ++at) {
            if (p[at] == 0)
                continue;
            if (open_[at] == 0) { // a finished run
                law.oddLines[at / (quota_ + 1) % (quota_ + 1)] += p[at];
                continue;
            }
            law.meanAttempts += p[at] * allCombinations / open_[at];
            for (auto [to, q] : moves_[at])
                (to == stop ? law.stopped : p[to]) += p[at] * q;
        }
        return law;
    }

    // The share of runs that have neither finished nor stopped after so many attempts.
    double goingAfter(int attempts) const {
        std::vector<double> p(moves_.size(), 0);
        p[0] = 1;
        for (int attempt = 0; attempt < attempts; ++attempt)
            for (std::size_t at = p.size(); at-- > 0;) { // later states first: moved once
                const double leaving = p[at] * open_[at] / allCombinations;
                p[at] -= leaving;
                for (auto [to, q] : moves_[at])
                    if (to != stop)
                        p[to] += leaving * q;
            }
        double going = 0;
        for (std::size_t at = 0; at < p.size(); ++at)
            going += open_[at] > 0 ? p[at] : 0;
        return going;
    }

  private:
    static constexpr std::size_t stop = std::size_t(-1);

    std::size_t index(int even, int odd, int draws) const {
        return (static_cast<std::size_t>(even) * (quota_ + 1) + odd) * (quota_ + 1) + draws;
    }

    void addMoves(PassingCounts counts, int even, int odd, int draws) {
        const double evenOpen = static_cast<double>(counts.even - even);
        const double oddOpen = draws < quota_ ? static_cast<double>(counts.odd) : 0;
        const std::size_t at = index(even, odd, draws);
        open_[at] = evenOpen + oddOpen;
        if (open_[at] == 0) // never reached: the run would have stopped before
            return;
        moves_[at].push_back({index(even + 1, odd, draws), evenOpen / open_[at]});
        if (oddOpen == 0)
            return;
        moves_[at].push_back({index(even, odd + 1, draws + 1), (oddOpen - odd) / open_[at]});
        const std::int64_t reachable =
            counts.even + odd + std::min<std::int64_t>(quota_ - draws - 1, counts.odd - odd);
        moves_[at].push_back(
            {reachable < target_ ? stop : index(even, odd, draws + 1), odd / open_[at]});
    }

    int target_, quota_;
    std::vector<std::vector<std::pair<std::size_t, double>>> moves_;
    std::vector<double> open_; // combinations that can change the run; 0 once it has finished
};

int sumOfLine(const std::string& line) {
    int sum = 0;
    for (std::size_t at = 0; at < line.size(); at += 2)
        sum += std::stoi(line.substr(at, 2));
    return sum;
}

struct Sample {
    std::vector<double> oddLines, firstLines;
    double finished = 0, stopped = 0, limited = 0, attempts = 0, attemptsSquared = 0;
};

Sample sampleRuns(const PredictionSettings& s, int runs, std::uint64_t seed, std::int32_t limit) {
    const PassingSet passing(s);
    const std::vector<NumberMask> all = *passing.list(sampledSetLimit);
    std::map<std::string, std::size_t> cell;
    for (NumberMask numbers : all)
        cell.emplace(lineText(numbers), cell.size());
    Sample sample{std::vector<double>(static_cast<std::size_t>(s.oddSumQuota) + 1),
                  std::vector<double>(all.size())};
    ClockSeededRandom random(seed);
    for (int run = 0; run < runs; ++run) {
        SearchOutcome outcome = searchCandidates(s, passing, random, limit);
        if (auto* limited = std::get_if<AttemptLimitReached>(&outcome)) {
            EXPECT_EQ(limited->attempts, limit);
            sample.limited += 1;
            continue;
        }
        double attempts = 0;
        if (auto* found = std::get_if<SearchFinished>(&outcome)) {
            sample.finished += 1, attempts = found->attempts;
            sample.firstLines[cell.at(found->lines.front())] += 1;
            sample.oddLines[static_cast<std::size_t>(std::count_if(
                found->lines.begin(), found->lines.end(),
                [](const std::string& line) { return sumOfLine(line) % 2 == 1; }))] += 1;
        } else {
            sample.stopped += 1, attempts = std::get<SearchStopped>(outcome).attempts;
        }
        sample.attempts += attempts, sample.attemptsSquared += attempts * attempts;
    }
    return sample;
}

std::vector<double> times(std::vector<double> shares, double runs) {
    for (double& share : shares)
        share *= runs;
    return shares;
}

// Settings where the quota binds, where a few runs in a hundred stop because the count falls
// out of reach, and where a small attempt limit cuts off about half the runs.
TEST(SearchLaw, LinesAttemptsAndOutcomesFollowThePlainProcess) {
    constexpr int runs = 20000;
    const struct {
        const char* name;
        PredictionSettings settings;
        std::int32_t limit;
    } rows[] = {
        {"204 combinations, 100 lines", settings(1, 2, 43, 42, U"000000000003", 100, 30), 0},
        {"the hardest 200 lines", settings(1, 2, 32, 42, U"000000000300", 200, 60), 0},
        {"204 combinations, 10 lines, a limit", settings(1, 2, 43, 42, U"000000000003"), 380000},
    };
    for (const auto& [name, s, limit] : rows) {
        SCOPED_TRACE(name);
        const PassingCounts counts = PassingSet(s).counts();
        const RunChain chain(counts, s.targetCount, s.oddSumQuota);
        const Sample sample = sampleRuns(s, runs, 2026, limit ? limit : INT32_MAX);
        if (limit) {
            const double going = chain.goingAfter(limit);
            expectNear(sample.limited, runs * going, std::sqrt(runs * going * (1 - going)),
                       "runs that met the limit");
            EXPECT_NEAR(going, 0.5, 0.1); // the comparison means something
            continue;
        }
        const RunChain::Law law = chain.law();
        expectFits(sample.oddLines, times(law.oddLines, runs), "odd lines of a finished run");
        if (sample.finished == runs) // a run that stops or meets the limit is not every run alike
            expectFits(sample.firstLines,
                       std::vector<double>(sample.firstLines.size(),
                                           runs / static_cast<double>(counts.even + counts.odd)),
                       "the first line over the passing combinations");
        expectNear(sample.stopped, runs * law.stopped,
                   std::sqrt(runs * law.stopped * (1 - law.stopped)), "runs that stopped");
        const double mean = sample.attempts / runs;
        expectNear(mean, law.meanAttempts,
                   std::sqrt((sample.attemptsSquared / runs - mean * mean) / runs),
                   "mean attempts");
    }
}

// An attempt count one off would hide inside the distributions above; here the law of the
// attempts up to a success is plain to see.
TEST(SearchLaw, AttemptsToASuccessFollowTheGeometricLaw) {
    ClockSeededRandom random(7);
    WordStream words(random);
    for (int draw = 0; draw < 100; ++draw)
        EXPECT_EQ(words.attemptsToSuccess(1.0), 1u);
    for (double p : {0.5, 0.2}) {
        std::vector<double> seen(40), expected(40);
        for (int draw = 0; draw < 100000; ++draw)
            seen[std::min<std::size_t>(words.attemptsToSuccess(p), 39)] += 1;
        for (std::size_t k = 1; k < 39; ++k)
            expected[k] = 100000 * p * std::pow(1 - p, static_cast<double>(k - 1));
        expected[39] = 100000 * std::pow(1 - p, 38.0);
        EXPECT_EQ(seen[0], 0) << p;
        expectFits(seen, expected, "p = " + std::to_string(p));
    }
    const double p = 1e-7; // as narrow as a run's open combinations get, and narrower
    double sum = 0;
    for (int draw = 0; draw < 20000; ++draw)
        sum += static_cast<double>(words.attemptsToSuccess(p));
    expectNear(sum / 20000, 1 / p, std::sqrt(1 - p) / p / std::sqrt(20000.0), "mean for p = 1e-7");
}

// The drawing rule read literally: refill, pick the r-th, shift the rest down.
std::array<int, 6> drawThePlainWay(const SixUnits& units) {
    std::vector<int> pool(43);
    std::iota(pool.begin(), pool.end(), 1);
    std::array<int, 6> picks{};
    for (std::size_t t = 0; t < 6; ++t) {
        auto r = static_cast<std::size_t>(
            std::floor(static_cast<double>(units[t]) * static_cast<double>(pool.size()) + 1));
        picks[t] = pool[r - 1];
        pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(r - 1));
    }
    std::sort(picks.begin(), picks.end());
    return picks;
}

// Above the sampled sizes every attempt is drawn by the rule: the same lines and attempts as
// the whole procedure done the plain way, on the typed values. The lowest and highest values
// draw the ends of the pool.
TEST(PlainSearch, DrawsEveryAttemptByTheRule) {
    const float belowOne = std::nextafter(1.0f, 0.0f);
    EXPECT_EQ(lineText(drawCandidate(SixUnits{}).numbers), "010203040506");
    EXPECT_EQ(
        lineText(drawCandidate(SixUnits{belowOne, belowOne, belowOne, belowOne, belowOne, belowOne})
                     .numbers),
        "383940414243");
    for (const PredictionSettings& s :
         {settings(0, 0, 0, 0, U"", 500, 190), settings(7, 0, 1, 0, U"070809101112", 50, 15)}) {
        ASSERT_FALSE(PassingSet(s).list(sampledSetLimit));
        ClockSeededRandom random(11);
        random.reseed(); // as the search does at its start
        std::vector<std::string> lines;
        int attempts = 0, oddDraws = 0;
        while (static_cast<int>(lines.size()) < s.targetCount) {
            std::array<int, 6> picks = drawThePlainWay(attemptUnits(random, attempts++));
            auto has = [&](double value) {
                return std::count(picks.begin(), picks.end(), value) > 0;
            };
            int shared = 0, sum = std::accumulate(picks.begin(), picks.end(), 0);
            for (double piece : s.previousDraw())
                shared += static_cast<int>(std::count(picks.begin(), picks.end(), piece));
            if ((s.exclude1.on && has(s.exclude1.value)) ||
                (s.include1.on && !has(s.include1.value)) || (s.previousDrawOn && shared != 1) ||
                sum < 110 || sum > 165 || (sum % 2 == 1 && ++oddDraws > s.oddSumQuota))
                continue;
            std::string line;
            for (int n : picks)
                line += std::string(n < 10 ? "0" : "") + std::to_string(n);
            if (std::find(lines.begin(), lines.end(), line) == lines.end())
                lines.push_back(line);
        }
        ClockSeededRandom same(11);
        SearchOutcome outcome = searchCandidates(s, PassingSet(s), same);
        ASSERT_TRUE(std::holds_alternative<SearchFinished>(outcome));
        EXPECT_EQ(std::get<SearchFinished>(outcome).lines, lines);
        EXPECT_EQ(std::get<SearchFinished>(outcome).attempts, attempts);
    }
}

} // namespace
} // namespace numir
