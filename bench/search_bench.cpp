// How long the window stays frozen: counting the passing combinations, and whole runs of the
// slowest settings found for each preset, over 100 seeds each (each repetition is a new seed),
// the hardest with one thread and with every logical processor.
#include "candidate_search.h"
#include "first_picks.h"
#include "input_validation.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <map>
#include <tuple>
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

// Validation, the search and the file, as one press of Start; a new seed every time. The
// screening path is the fastest this processor runs, and the threads every logical
// processor, unless a row names them.
void WholeRun(benchmark::State& state, Narrow narrow, ScreenPath screen = fastestScreenPath(),
              int threads = 0) {
    PredictionSettings settings = settingsOf(narrow);
    auto path = std::filesystem::temp_directory_path() / "numir-bench.txt";
    // Each repetition calls this anew: a counter across them gives every one its own seed,
    // 1, 2, 3, ... for each setting, path and thread count, so the figures can be reproduced
    // and rows that differ only in threads run the same seeds.
    static std::map<std::tuple<const char32_t*, ScreenPath, int>, std::uint64_t> repetitions;
    ClockSeededRandom random(++repetitions[{narrow.previousDraw, screen, threads}] * 1000 +
                             narrow.target);
    double attempts = 0, stopped = 0;
    for (auto _ : state) {
        if (validate(settings)) {
            state.SkipWithError("refused");
            break;
        }
        PredictionFile file(path);
        file.openForRun(false);
        auto outcome = CandidateSearch(settings, std::numeric_limits<std::int32_t>::max(), screen,
                                       SearchThreads{threads})
                           .run(file, random);
        if (auto* done = std::get_if<std::string>(&outcome))
            attempts += std::stod(done->substr(std::string(" 予想を書込みました。 ").size()));
        else if (auto* stop = std::get_if<SearchStopped>(&outcome))
            attempts += stop->attempts, stopped += 1;
        else
            state.SkipWithError("run failed");
    }
    state.counters["attempts"] = benchmark::Counter(attempts, benchmark::Counter::kAvgIterations);
    state.counters["stopped"] = benchmark::Counter(stopped, benchmark::Counter::kAvgIterations);
    std::filesystem::remove(path);
}

double slowest(const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end());
}

#define NARROW_RUN(name, ...)                                                                      \
    BENCHMARK_CAPTURE(WholeRun, name, Narrow{__VA_ARGS__})                                         \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->Iterations(1)                                                                            \
        ->Repetitions(100)                                                                         \
        ->ComputeStatistics("max", slowest)

// NUMIR_BENCH_SEEDS=N takes N seeds instead of 1,000 for the hardest runs, for a quick look.
int hardestSeeds() {
    const char* seeds = std::getenv("NUMIR_BENCH_SEEDS");
    return seeds ? std::atoi(seeds) : 1000;
}

// The hardest settings found for 500 and 200 lines, 1,000 seeds on each screening path, with
// one thread (_1T) and with every logical processor (_AllT) on the same seeds.
#define HARDEST_RUN(name, path, threads, ...)                                                      \
    BENCHMARK_CAPTURE(WholeRun, name, Narrow{__VA_ARGS__}, ScreenPath::path, threads)              \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->Iterations(1)                                                                            \
        ->Repetitions(hardestSeeds())                                                              \
        ->ComputeStatistics("max", slowest)
#define HARDEST_RUNS(path)                                                                         \
    HARDEST_RUN(Hardest500_##path##_1T, path, 1, 500, 190, 1, 2, 33, 36, U"000000001000");         \
    HARDEST_RUN(Hardest500_##path##_AllT, path, 0, 500, 190, 1, 2, 33, 36, U"000000001000");       \
    HARDEST_RUN(Hardest200_##path##_1T, path, 1, 200, 60, 1, 2, 32, 42, U"000000000300");          \
    HARDEST_RUN(Hardest200_##path##_AllT, path, 0, 200, 60, 1, 2, 32, 42, U"000000000300")

HARDEST_RUNS(Avx2);
HARDEST_RUNS(Sse2);
HARDEST_RUNS(Portable);

NARROW_RUN(Plain500, 500, 190, 0, 0, 0, 0, nullptr);
NARROW_RUN(Old500, 500, 190, 1, 2, 38, 37, U"013940414243");
NARROW_RUN(Issue100, 100, 30, 1, 2, 43, 42, U"000000000003");
NARROW_RUN(Slow5, 5, 1, 1, 3, 43, 42, U"000000004202");
NARROW_RUN(Slow10, 10, 3, 1, 2, 43, 41, U"000000004303");
NARROW_RUN(Slow20, 20, 6, 1, 3, 43, 42, U"000000004302");
NARROW_RUN(Slow30, 30, 8, 1, 2, 43, 41, U"000000004103");
NARROW_RUN(Slow50, 50, 15, 1, 3, 43, 42, U"000000000200");
NARROW_RUN(Slow100, 100, 30, 1, 3, 43, 41, U"000000004302");
NARROW_RUN(Slow200, 200, 60, 2, 1, 36, 42, U"043600000000");
NARROW_RUN(Slow500, 500, 190, 3, 2, 0, 40, U"070000000000");

} // namespace

BENCHMARK_MAIN();
