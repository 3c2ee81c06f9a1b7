#!/usr/bin/env bash
# Installs what is needed, builds the program and opens its window in the current folder,
# where it keeps numir.txt.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

bash "$root/scripts/install-packages.sh"

cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$root/build" -j "$(nproc)" --target numir-assistant
exec "$root/build/numir-assistant"
