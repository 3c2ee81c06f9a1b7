// The search against the law of the plain process, computed here without the search's code
// (the chain over even lines, odd lines and odd draws, with the stop rule), on fixed seeds,
// each failing only beyond one chance in 10,000; above the sampled sizes, the rule read literally.
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

constexpr double allCombinations = 6096454, chance = 3.719; // the deviate of one in 10,000

// A chi-square (thin cells pooled) below what it exceeds once in 10,000 (Wilson-Hilferty).
void expectFits(const std::vector<double>& seen, const std::vector<double>& expected,
                const std::string& what) {
    double chiSquare = 0, cells = 0, seenRest = 0, expectedRest = 0;
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (expected[i] < 5)
            seenRest += seen[i], expectedRest += expected[i];
        else
            chiSquare += std::pow(seen[i] - expected[i], 2) / expected[i], ++cells;
    if (expectedRest >= 5)
        chiSquare += std::pow(seenRest - expectedRest, 2) / expectedRest, ++cells;
    const double h = 2 / (9 * (cells - 1));
    EXPECT_LT(chiSquare, (cells - 1) * std::pow(1 - h + chance * std::sqrt(h), 3)) << what;
}

void expectNear(double seen, double expected, double standardError, const std::string& what) {
    EXPECT_LE(std::abs(seen - expected), chance * standardError + 1e-9)
        << what << ": " << seen << ", expected " << expected;
}

// One run as a chain over (even lines, odd lines, odd draws), numbered so that every move,
// made once an attempt draws a combination that can change the run, goes further on.
struct RunChain {
    PassingCounts counts;
    int target, quota;

    std::size_t size() const {
        return static_cast<std::size_t>(target + 1) * (quota + 1) * (quota + 1);
    }
    std::size_t at(int even, int odd, int draws) const {
        return (static_cast<std::size_t>(even) * (quota + 1) + odd) * (quota + 1) + draws;
    }
    // How many combinations can change the run from state `from` (0: it has ended), and each
    // move with its share of them; a move to size() is a stop.
    template <class Move> double moves(std::size_t from, Move move) const {
        const int draws = static_cast<int>(from % (quota + 1)),
                  odd = static_cast<int>(from / (quota + 1) % (quota + 1)),
                  even = static_cast<int>(from / (quota + 1) / (quota + 1));
        const double evenOpen = static_cast<double>(counts.even - even),
                     oddOpen = draws < quota ? static_cast<double>(counts.odd) : 0,
                     open = evenOpen + oddOpen;
        if (even + odd >= target || odd > draws || open == 0)
            return 0;
        move(at(even + 1, odd, draws), evenOpen / open);
        if (oddOpen > 0) {
            move(at(even, odd + 1, draws + 1), (oddOpen - odd) / open);
            const std::int64_t reachable =
                counts.even + odd + std::min<std::int64_t>(quota - draws - 1, counts.odd - odd);
            move(reachable < target ? size() : at(even, odd, draws + 1), odd / open);
        }
        return open;
    }
    // The law of the odd lines of a finished run, the stop share and the mean attempts.
    std::vector<double> law(double& stopped, double& meanAttempts) const {
        std::vector<double> p(size() + 1), oddLines(static_cast<std::size_t>(quota) + 1);
        p[0] = 1;
        for (std::size_t from = 0; from < size(); ++from) {
            const double open =
                moves(from, [&](std::size_t to, double q) { p[to] += p[from] * q; });
            if (open > 0)
                meanAttempts += p[from] * allCombinations / open;
            else if (p[from] > 0) // finished
                oddLines[from / (quota + 1) % (quota + 1)] += p[from];
        }
        stopped = p[size()];
        return oddLines;
    }
    // The share of runs neither finished nor stopped after so many attempts.
    double goingAfter(int attempts) const {
        std::vector<double> p(size() + 1);
        p[0] = 1;
        for (int attempt = 0; attempt < attempts; ++attempt)
            for (std::size_t from = size(); from-- > 0;) { // later states first: moved once
                const double open = moves(from, [](std::size_t, double) {});
                const double leaving = p[from] * open / allCombinations;
                moves(from, [&](std::size_t to, double q) { p[to] += leaving * q; });
                p[from] -= leaving;
            }
        double going = 0;
        for (std::size_t from = 0; from < size(); ++from)
            going += moves(from, [](std::size_t, double) {}) > 0 ? p[from] : 0;
        return going;
    }
};

// Where the quota binds, where a few runs in a hundred stop, and where a limit cuts off half.
TEST(SearchLaw, LinesAttemptsAndOutcomesFollowThePlainProcess) {
    constexpr int runs = 20000;
    const struct {
        const char* name;
        PredictionSettings settings;
        std::int32_t limit;
    } rows[] = {
        {"the quota binds", testing::settings(1, 2, 43, 42, U"000000000003", 100, 30), 0},
        {"the hardest 200 lines", testing::settings(1, 2, 32, 42, U"000000000300", 200, 60), 0},
        {"204 combinations, a limit", testing::settings(1, 2, 43, 42, U"000000000003"), 380000},
    };
    for (const auto& [name, s, limit] : rows) {
        SCOPED_TRACE(name);
        const PassingSet passing(s);
        const RunChain chain{passing.counts(), s.targetCount, s.oddSumQuota};
        std::map<std::string, double> firstLines;
        std::vector<double> oddLines(static_cast<std::size_t>(s.oddSumQuota) + 1);
        double finished = 0, stopped = 0, limited = 0, attempts = 0, squares = 0;
        ClockSeededRandom random(2026);
        for (int run = 0; run < runs; ++run) {
            SearchOutcome outcome = searchCandidates(s, passing, random, limit ? limit : INT32_MAX);
            double drawn = 0;
            if (auto* found = std::get_if<SearchFinished>(&outcome)) {
                finished += 1, drawn = found->attempts, firstLines[found->lines[0]] += 1;
                oddLines[static_cast<std::size_t>(std::count_if( // the units digits make the parity
                    found->lines.begin(), found->lines.end(), [](auto& l) {
                        return (l[1] + l[3] + l[5] + l[7] + l[9] + l[11]) % 2 == 1;
                    }))] += 1;
            } else if (auto* stop = std::get_if<SearchStopped>(&outcome)) {
                stopped += 1, drawn = stop->attempts;
            } else {
                limited += std::get<AttemptLimitReached>(outcome).attempts == limit;
            }
            attempts += drawn, squares += drawn * drawn;
        }
        if (limit) {
            const double going = chain.goingAfter(limit);
            EXPECT_NEAR(going, 0.5, 0.1); // so that the comparison means something
            expectNear(limited, runs * going, std::sqrt(runs * going * (1 - going)),
                       "runs that met the limit");
            continue;
        }
        double stopShare = 0, meanAttempts = 0;
        std::vector<double> law = chain.law(stopShare, meanAttempts);
        std::transform(law.begin(), law.end(), law.begin(), [](double p) { return p * runs; });
        expectFits(oddLines, law, "odd lines of a finished run");
        expectNear(stopped, runs * stopShare, std::sqrt(runs * stopShare * (1 - stopShare)),
                   "runs that stopped");
        const double mean = attempts / runs;
        expectNear(mean, meanAttempts, std::sqrt((squares / runs - mean * mean) / runs),
                   "mean attempts");
        if (finished < runs) // a run that stops is not every run alike
            continue;
        std::vector<double> seen;
        const auto all = passing.list(sampledSetLimit);
        for (NumberMask numbers : *all)
            seen.push_back(firstLines[lineText(numbers)]);
        expectFits(seen, std::vector<double>(seen.size(), runs / static_cast<double>(seen.size())),
                   "the first line over the passing combinations");
    }
}

// An attempt count one off would hide in the distributions above; here the law is plain.
TEST(SearchLaw, AttemptsToASuccessFollowTheGeometricLaw) {
    ClockSeededRandom random(7);
    WordStream words(random);
    for (int draw = 0; draw < 100; ++draw)
        EXPECT_EQ(words.attemptsToSuccess(1.0), 1u);
    for (double p : {0.5, 0.2}) {
        std::vector<double> seen(40), expected(40);
        for (int draw = 0; draw < 100000; ++draw)
            seen[std::min<std::size_t>(words.attemptsToSuccess(p), 39)] += 1;
        for (std::size_t k = 1; k < 40; ++k) // the last cell: 39 or more
            expected[k] = 100000 * std::pow(1 - p, static_cast<double>(k - 1)) * (k < 39 ? p : 1);
        expectFits(seen, expected, "p = " + std::to_string(p));
    }
    const double p = 1e-7; // as narrow as a run's open combinations get, and narrower
    double sum = 0;
    for (int draw = 0; draw < 20000; ++draw)
        sum += static_cast<double>(words.attemptsToSuccess(p));
    expectNear(sum / 20000, 1 / p, std::sqrt(1 - p) / p / std::sqrt(20000.0), "mean for p = 1e-7");
}

// Above the sampled sizes every attempt is drawn by the rule: the same lines and attempts as
// the procedure done the plain way, the pool refilled, the r-th number picked and the rest
// shifted down. The lowest and highest values draw the pool's ends.
TEST(PlainSearch, DrawsEveryAttemptByTheRule) {
    const float belowOne = std::nextafter(1.0f, 0.0f);
    EXPECT_EQ(lineText(drawCandidate(SixUnits{}).numbers), "010203040506");
    EXPECT_EQ(
        lineText(drawCandidate(SixUnits{belowOne, belowOne, belowOne, belowOne, belowOne, belowOne})
                     .numbers),
        "383940414243");
    const PredictionSettings s = testing::settings(0, 0, 0, 0, U"", 500, 190);
    ASSERT_FALSE(PassingSet(s).list(sampledSetLimit));
    ClockSeededRandom random(11);
    random.reseed(); // as the search does at its start
    std::vector<std::string> lines;
    int attempts = 0, oddDraws = 0;
    while (lines.size() < 500) {
        const SixUnits units = attemptUnits(random, static_cast<std::uint64_t>(attempts++));
        std::vector<int> pool(43), picks;
        std::iota(pool.begin(), pool.end(), 1);
        for (std::size_t t = 0; t < 6; ++t) {
            auto r = static_cast<std::ptrdiff_t>(
                std::floor(static_cast<double>(units[t]) * static_cast<double>(pool.size()) + 1));
            picks.push_back(pool[static_cast<std::size_t>(r - 1)]),
                pool.erase(pool.begin() + r - 1);
        }
        std::sort(picks.begin(), picks.end());
        const int sum = std::accumulate(picks.begin(), picks.end(), 0);
        if (sum < 110 || sum > 165 || (sum % 2 == 1 && ++oddDraws > 190))
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

} // namespace
} // namespace numir
