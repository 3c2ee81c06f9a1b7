// How long the window stays busy: counting the passing combinations, and whole runs of the
// hardest settings found over 1,000 seeds, of the slowest found for each preset and of runs
// above the sampled sizes over 100 seeds each.
#include "file/prediction_file.h"
#include "search/candidate_search.h"
#include "settings/input_validation.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <vector>

namespace {

using namespace numir;

struct Narrow {
    int target, quota;
    double include1, include2, exclude1, exclude2;
    const char32_t* previousDraw; // nullptr: off
};

PredictionSettings settingsOf(const Narrow& n) {
    PredictionSettings s;
    s.targetCount = static_cast<std::int16_t>(n.target);
    s.oddSumQuota = static_cast<std::int16_t>(n.quota);
    s.include1 = {n.include1 != 0, n.include1};
    s.include2 = {n.include2 != 0, n.include2};
    s.exclude1 = {n.exclude1 != 0, n.exclude1};
    s.exclude2 = {n.exclude2 != 0, n.exclude2};
    s.previousDrawOn = n.previousDraw != nullptr;
    if (n.previousDraw)
        s.previousDrawText = n.previousDraw;
    return s;
}

void CountPassing(benchmark::State& state, Narrow narrow) {
    PredictionSettings settings = settingsOf(narrow);
    for (auto _ : state)
        benchmark::DoNotOptimize(PassingSet(settings).counts());
}
BENCHMARK_CAPTURE(CountPassing, NoFilters, Narrow{500, 190, 0, 0, 0, 0, nullptr});
BENCHMARK_CAPTURE(CountPassing, Narrow, Narrow{200, 60, 1, 2, 43, 42, U"000000000003"});

// What keeps the window busy for one press of Start: the passing combinations counted,
// validation and the search, and with the file also the one write of the lines (which waits
// for the disk). Each repetition is a new seed, 1, 2, 3, ... for each row, so the figures can
// be reproduced.
void WholeRun(benchmark::State& state, Narrow narrow, bool withFile = false) {
    PredictionSettings settings = settingsOf(narrow);
    const PredictionFile file(std::filesystem::temp_directory_path() / "numir-bench.txt");
    static std::map<std::pair<const char32_t*, bool>, std::uint64_t> repetitions;
    ClockSeededRandom random(++repetitions[{narrow.previousDraw, withFile}] * 1000 +
                             static_cast<std::uint64_t>(narrow.target));
    double attempts = 0, stopped = 0;
    for (auto _ : state) {
        const PassingSet passing(settings);
        if (validate(settings, passing.counts())) {
            state.SkipWithError("refused");
            break;
        }
        SearchOutcome outcome = searchCandidates(settings, passing, random);
        if (auto* done = std::get_if<SearchFinished>(&outcome)) {
            attempts += done->attempts;
            if (withFile && file.write(done->lines, false))
                state.SkipWithError("not written");
        } else if (auto* stop = std::get_if<SearchStopped>(&outcome)) {
            attempts += stop->attempts, stopped += 1;
        } else {
            state.SkipWithError("limit reached");
        }
    }
    state.counters["attempts"] = benchmark::Counter(attempts, benchmark::Counter::kAvgIterations);
    state.counters["stopped"] = benchmark::Counter(stopped, benchmark::Counter::kAvgIterations);
    std::filesystem::remove(file.path());
}

double slowest(const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end());
}

// NUMIR_BENCH_SEEDS=N takes N seeds instead of 1,000 for the hardest runs, for a quick look.
int hardestSeeds() {
    const char* seeds = std::getenv("NUMIR_BENCH_SEEDS");
    return seeds ? std::atoi(seeds) : 1000;
}

#define RUNS(name, seeds, ...)                                                                     \
    BENCHMARK_CAPTURE(WholeRun, name, __VA_ARGS__)                                                 \
        ->Unit(benchmark::kMicrosecond)                                                            \
        ->Iterations(1)                                                                            \
        ->Repetitions(seeds)                                                                       \
        ->ComputeStatistics("max", slowest)

// The hardest settings found for 500 and 200 lines, and the first once more with the file.
RUNS(Hardest500, hardestSeeds(), Narrow{500, 190, 1, 2, 33, 36, U"000000001000"});
RUNS(Hardest200, hardestSeeds(), Narrow{200, 60, 1, 2, 32, 42, U"000000000300"});
RUNS(Hardest500_WithFile, 100, Narrow{500, 190, 1, 2, 33, 36, U"000000001000"}, true);
// The most combinations that are still sampled, and the fewest that are not: the slowest runs
// of either kind.
RUNS(LargestSampled500, 100, Narrow{500, 190, 27, 0, 28, 12, U"003000000005"});
RUNS(SmallestPlain500, 100, Narrow{500, 190, 0, 29, 7, 0, U"004300000200"});
// The slowest settings found for each preset, and runs above the sampled sizes.
RUNS(Plain500, 100, Narrow{500, 190, 0, 0, 0, 0, nullptr});
RUNS(Old500, 100, Narrow{500, 190, 1, 2, 38, 37, U"013940414243"});
RUNS(Issue100, 100, Narrow{100, 30, 1, 2, 43, 42, U"000000000003"});
RUNS(Slow5, 100, Narrow{5, 1, 1, 3, 43, 42, U"000000004202"});
RUNS(Slow10, 100, Narrow{10, 3, 1, 2, 43, 41, U"000000004303"});
RUNS(Slow20, 100, Narrow{20, 6, 1, 3, 43, 42, U"000000004302"});
RUNS(Slow30, 100, Narrow{30, 8, 1, 2, 43, 41, U"000000004103"});
RUNS(Slow50, 100, Narrow{50, 15, 1, 3, 43, 42, U"000000000200"});
RUNS(Slow100, 100, Narrow{100, 30, 1, 3, 43, 41, U"000000004302"});
RUNS(Slow200, 100, Narrow{200, 60, 2, 1, 36, 42, U"043600000000"});
RUNS(Slow500, 100, Narrow{500, 190, 3, 2, 0, 40, U"070000000000"});

} // namespace

BENCHMARK_MAIN();
