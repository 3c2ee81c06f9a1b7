// How long the window stays frozen: the cost of one candidate and of whole 500-line runs.
#include "candidate_search.h"

#include <benchmark/benchmark.h>
#include <filesystem>

namespace {

using namespace numir;

void OneCandidateNoFilters(benchmark::State& state) {
    ClockSeededRandom random;
    CombinationFilter filter{PredictionSettings{}};
    SixUnits units{};
    for (auto _ : state) {
        random.nextSix(units);
        Candidate candidate = drawCandidate(units);
        benchmark::DoNotOptimize(filter.passes(candidate.numbers, candidate.sum));
    }
}
BENCHMARK(OneCandidateNoFilters);

PredictionSettings fiveHundred() {
    PredictionSettings settings;
    settings.targetCount = 500;
    settings.oddSumQuota = 190;
    return settings;
}

PredictionSettings hardest() {
    PredictionSettings settings = fiveHundred();
    settings.include1 = {true, 1};
    settings.include2 = {true, 2};
    settings.exclude1 = {true, 38};
    settings.exclude2 = {true, 37};
    settings.previousDrawOn = true;
    settings.previousDrawText = U"013940414243";
    return settings;
}

void WholeRun(benchmark::State& state, const PredictionSettings& settings) {
    auto path = std::filesystem::temp_directory_path() / "numir-bench.txt";
    ClockSeededRandom random;
    CandidateSearch search(settings);
    double attempts = 0;
    for (auto _ : state) {
        PredictionFile file(path);
        if (file.openForRun(false))
            state.SkipWithError("cannot open the file");
        auto outcome = search.run(file, random);
        if (!std::holds_alternative<std::string>(outcome))
            state.SkipWithError("run failed");
        attempts += std::stod(
            std::get<std::string>(outcome).substr(std::string(" 予想を書込みました。 ").size()));
    }
    state.counters["attempts"] = benchmark::Counter(attempts, benchmark::Counter::kAvgIterations);
    std::filesystem::remove(path);
}
BENCHMARK_CAPTURE(WholeRun, Plain500, fiveHundred())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WholeRun, Hardest500, hardest())->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
