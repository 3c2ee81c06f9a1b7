#!/usr/bin/env bash
# Cross-builds the Windows program and the engine and form tests as Windows programs:
#   build-windows.sh [x64|x86] [--program-only] [CMAKE OPTIONS...]
# x64 (the default) into build-windows/, x86 (32-bit Windows) into build-windows-x86/. The
# icon is exported from its sources by the Linux build's own tool first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
arch=x64
if [[ ${1:-} == x64 || ${1:-} == x86 ]]; then
    arch=$1
    shift
fi
targets=()
if [[ ${1:-} == --program-only ]]; then
    targets=(--target numir-assistant)
    shift
fi
target=x86_64 folder="$root/build-windows"
if [[ $arch == x86 ]]; then
    target=i686 folder="$root/build-windows-x86"
fi

cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target numir_icon_files

cmake -S "$root" -B "$folder" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DNUMIR_MINGW_TARGET=$target \
    -DNUMIR_BUILD_BENCH=OFF -DBUILD_TESTING=ON -DNUMIR_ICON_ICO="$root/build/window/qt/icons/numir-assistant.ico" "$@"
cmake --build "$folder" -j "$(nproc)" "${targets[@]}"
echo "Built $folder/numir-assistant.exe"
