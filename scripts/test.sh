#!/usr/bin/env bash
# Installs what is needed, checks the formatting, builds everything warning-free and runs
# every test: the Linux build, the engine's tests once more under AddressSanitizer and UBSan,
# and the Windows build cross-compiled and run under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-packages.sh

echo "== formatting"
find engine form window app tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format --dry-run --Werror

echo "== build and test"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DNUMIR_WERROR=ON
cmake --build build -j "$(nproc)"
ctest --test-dir build --output-on-failure -j "$(nproc)"

echo "== engine tests under sanitizers"
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNUMIR_WERROR=ON \
    -DNUMIR_SANITIZE=ON -DNUMIR_BUILD_WINDOW=OFF -DNUMIR_BUILD_BENCH=OFF
cmake --build build-sanitize -j "$(nproc)"
ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)"

echo "== Windows program under Wine"
bash scripts/build-windows.sh -DNUMIR_WERROR=ON
ctest --test-dir build-windows --output-on-failure
