#!/usr/bin/env bash
# Installs what is needed, builds the program and opens its window in the current folder,
# where it keeps numir.txt.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

bash "$root/scripts/install-packages.sh"

# The program and its icons, without the tests and benchmarks, so that `cmake --install build`
# works afterwards.
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DNUMIR_BUILD_BENCH=OFF
cmake --build "$root/build" -j "$(nproc)" --target numir-assistant numir_icon_files
exec "$root/build/numir-assistant"
