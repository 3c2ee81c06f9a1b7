#!/usr/bin/env bash
# Cross-builds the Windows program, build-windows/numir-assistant.exe, and the engine and
# form tests as Windows programs. Its icon is exported from the one icon source by the Linux
# build's own tool first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target numir_icon_files

cmake -S "$root" -B "$root/build-windows" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DNUMIR_BUILD_BENCH=OFF \
    -DNUMIR_ICON_ICO="$root/build/window/qt/numir-assistant.ico" "$@"
cmake --build "$root/build-windows" -j "$(nproc)"
echo "Built $root/build-windows/numir-assistant.exe"
