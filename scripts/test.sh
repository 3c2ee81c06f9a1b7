#!/usr/bin/env bash
# Installs what is needed, builds everything warning-free and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-packages.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DNUMIR_WERROR=ON
cmake --build build -j "$(nproc)"
ctest --test-dir build --output-on-failure -j "$(nproc)"
