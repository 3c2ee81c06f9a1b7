#!/usr/bin/env bash
# Builds the bench as a 64-bit and as a 32-bit program (the latter with the floating point of
# the 32-bit Windows program) and runs the rows asked for: by default the hardest settings and
# the two sides of the sampled size, with their medians and slowest runs.
# Usage: bench.sh [FILTER]   (the 32-bit build needs g++-multilib and libbenchmark-dev:i386)
set -euo pipefail
cd "$(dirname "$0")/.."
filter=${1:-Hardest500/|Hardest200/|LargestSampled|SmallestPlain}
common=(-DCMAKE_BUILD_TYPE=Release -DNUMIR_BUILD_WINDOW=OFF -DBUILD_TESTING=OFF -DNUMIR_BUILD_BENCH=ON)
cmake -S . -B build-bench "${common[@]}" >/dev/null
cmake -S . -B build-bench32 "${common[@]}" "-DCMAKE_CXX_FLAGS=-m32 -msse2 -mfpmath=sse" \
    -DCMAKE_LIBRARY_ARCHITECTURE=i386-linux-gnu >/dev/null
for build in build-bench build-bench32; do
    cmake --build "$build" -j "$(nproc)" --target search_bench >/dev/null
    echo "== $build"
    "$build/bench/search_bench" --benchmark_filter="$filter" --benchmark_report_aggregates_only=true
done
