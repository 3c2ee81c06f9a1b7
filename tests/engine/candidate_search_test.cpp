// The search against the drawing procedure done the plain way, in both modes, and what a
// run that stops or reaches its limit leaves in numir.txt: what was there.
#include "candidate_search.h"
#include "test_support.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numeric>

namespace numir {
namespace {

namespace fs = std::filesystem;
using testing::settings;

constexpr std::int32_t noLimit = std::numeric_limits<std::int32_t>::max();

// The drawing procedure done the plain way: refill, pick the r-th, shift the rest down.
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

// The lowest and highest values of u; the reference runs below cover the values between.
TEST(DrawCandidate, TheEndsOfTheRangeDrawTheEndsOfThePool) {
    const float belowOne = std::nextafter(1.0f, 0.0f);
    EXPECT_EQ(lineText(drawCandidate(SixUnits{})), "010203040506");
    EXPECT_EQ(lineText(drawCandidate({belowOne, belowOne, belowOne, belowOne, belowOne, belowOne})),
              "383940414243");
}

// Includes 1 and 2, excludes 43 and 42, previous draw 5: 148 even and 126 odd combinations,
// so "２００件" can be finished only while at most 8 odd draws within its quota of 60 repeat.
const PredictionSettings narrowTwoHundred = settings(1, 2, 43, 42, U"000000000005", 200, 60);

// A whole run exactly as the drawing procedure reads: refill, pick and shift, the filters
// in their order on the typed values, a linear scan for repeats, and a stop once the lines
// that even + min(odd left, quota left) allow fall below the target.
struct ReferenceRun {
    std::string lines;
    std::int32_t attempts = 0;
    bool stopped = false;
};

ReferenceRun referenceRun(const PredictionSettings& s, RandomSource& random) {
    PassingCounts counts = PassingSet(s).counts();
    ReferenceRun result;
    std::vector<std::string> accepted;
    std::int64_t odd = 0, oddWritten = 0;
    while (static_cast<int>(accepted.size()) < s.targetCount) {
        SixUnits units = random.units(result.attempts);
        ++result.attempts;
        std::array<int, 6> picks = drawThePlainWay(units);
        auto has = [&](double value) { return std::count(picks.begin(), picks.end(), value) > 0; };
        if ((s.exclude1.on && has(s.exclude1.value)) || (s.exclude2.on && has(s.exclude2.value)) ||
            (s.include1.on && !has(s.include1.value)) ||
            (s.include2.on && !has(*s.include2Whole())))
            continue;
        int shared = 0;
        for (double piece : s.previousDraw())
            shared += static_cast<int>(std::count(picks.begin(), picks.end(), piece));
        int sum = std::accumulate(picks.begin(), picks.end(), 0);
        if ((s.previousDrawOn && shared != 1) || sum < 110 || sum > 165)
            continue;
        if (sum % 2 == 1 && ++odd > s.oddSumQuota)
            continue;
        std::string line;
        for (int n : picks)
            line += std::string(n < 10 ? "0" : "") + std::to_string(n);
        if (std::find(accepted.begin(), accepted.end(), line) == accepted.end()) {
            accepted.push_back(line);
            result.lines += line + "\r\n";
            oddWritten += sum % 2;
        } else if (sum % 2 == 1 && counts.even + oddWritten +
                                           std::min(std::max<std::int64_t>(s.oddSumQuota - odd, 0),
                                                    counts.odd - oddWritten) <
                                       s.targetCount) {
            result.stopped = true;
            break;
        }
    }
    return result;
}

std::vector<ScreenPath> runnablePaths() {
    std::vector<ScreenPath> paths;
    for (ScreenPath path : {ScreenPath::Portable, ScreenPath::Sse2, ScreenPath::Avx2})
        if (processorRuns(path))
            paths.push_back(path);
    return paths;
}

// The outcome of one run as the user would see it, report or stop, and then numir.txt, which
// held two old lines; only a finished run may change it.
std::string outcomeOf(const PredictionSettings& s, bool append, std::uint64_t seed, ScreenPath path,
                      SearchThreads threads, std::int32_t attemptLimit, const fs::path& file) {
    testing::writeWholeFile(file, testing::oldLines);
    ClockSeededRandom random(seed);
    PredictionFile prediction(file);
    prediction.openForRun(append);
    auto outcome = CandidateSearch(s, attemptLimit, path, threads).run(prediction, random);
    std::string said = "file error";
    if (auto* report = std::get_if<std::string>(&outcome))
        said = *report;
    else if (auto* stop = std::get_if<SearchStopped>(&outcome))
        said = "stopped at " + std::to_string(stop->attempts);
    else if (auto* limit = std::get_if<AttemptLimitReached>(&outcome))
        said = "limit at " + std::to_string(limit->attempts);
    return said + "\n" + testing::readWholeFile(file);
}

// On every screening path the processor runs, and with the threads that screen a long run
// forced to 1, 2 and 4 from its first attempt.
TEST(SearchTest, GivesTheReferenceRunsLinesAndAttempts) {
    testing::TempFolder folder;
    int stopped = 0;
    for (const PredictionSettings& s : {
             settings(0, 0, 0, 0, U"", 500, 190), narrowTwoHundred,
             settings(1, 2, 38, 37, U"013940414243", 100, 30), // 3,044: the live prefixes
             settings(1, 2, 43, 42, U"000000000005"),          // 274 combinations
         })
        for (std::uint64_t seed : {11u, 14u}) {
            ClockSeededRandom forReference(seed);
            forReference.reseed(); // as the search does at its start
            ReferenceRun expected = referenceRun(s, forReference);
            stopped += expected.stopped ? 1 : 0;
            const bool append = seed % 2 == 0;
            const std::string wanted =
                expected.stopped
                    ? "stopped at " + std::to_string(expected.attempts) + "\n" + testing::oldLines
                    : runReport(expected.attempts) + "\n" + (append ? testing::oldLines : "") +
                          expected.lines;
            for (ScreenPath path : runnablePaths())
                for (int threads : {1, 2, 4})
                    EXPECT_EQ(outcomeOf(s, append, seed, path, {threads, 0}, noLimit,
                                        folder / "numir.txt"),
                              wanted);
        }
    EXPECT_GE(stopped, 2); // the narrow "２００件" nearly always stops, in either mode
}

// The hardest settings found, a finished run and one cut off by the attempt limit: the
// same with any number of threads on every path. Their reference runs would take minutes.
TEST(SearchTest, ThreadsNeverChangeAHardRun) {
    testing::TempFolder folder;
    const PredictionSettings hardest = settings(1, 2, 33, 36, U"000000001000", 500, 190);
    for (std::int32_t limit : {noLimit, 3'000'000}) {
        const std::string alone =
            outcomeOf(hardest, true, 7, ScreenPath::Portable, {1}, limit, folder / "numir.txt");
        EXPECT_TRUE(limit == noLimit ? alone.starts_with(" 予想")
                                     : alone == "limit at 3000000\n" + testing::oldLines);
        for (ScreenPath path : runnablePaths())
            for (int threads : {2, 4})
                EXPECT_EQ(
                    outcomeOf(hardest, true, 7, path, {threads, 0}, limit, folder / "numir.txt"),
                    alone);
    }
}

} // namespace
} // namespace numir
