#!/usr/bin/env bash
# Installs what is needed, checks the formatting, builds everything warning-free and runs
# every test: the Linux build, the engine's and window logic's tests once more under
# AddressSanitizer and UBSan (clang),
# the Debian package with its checks, the Windows downloads (x64 and x86) with their tests
# under Wine, and a second build of the downloads elsewhere that must give the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."

# Where the package registry cannot give 32-bit Wine, the set-up says why in this file.
wine32_note=$(mktemp)
trap 'rm -f "$wine32_note"' EXIT
NUMIR_WINE32_NOTE=$wine32_note bash scripts/install-packages.sh

echo "== formatting"
find engine form window app tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format --dry-run --Werror

echo "== build and test"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DNUMIR_WERROR=ON -DBUILD_TESTING=ON -DNUMIR_BUILD_BENCH=ON
cmake --build build -j "$(nproc)"
ctest --test-dir build --output-on-failure -j "$(nproc)"

echo "== engine and window-logic tests under AddressSanitizer and UBSan (clang)"
cmake -S . -B build-sanitize -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DNUMIR_WERROR=ON -DNUMIR_SANITIZE=ON -DNUMIR_BUILD_WINDOW=OFF -DNUMIR_BUILD_BENCH=OFF \
    -DBUILD_TESTING=ON
cmake --build build-sanitize -j "$(nproc)"
ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)"

echo "== the downloads (Windows zips and the Debian package) and their checks, then the Windows tests under Wine"
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
bash scripts/build-windows.sh x64 -DNUMIR_WERROR=ON
bash scripts/release.sh
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-package/CMakeCache.txt)
xvfb-run -a -s "-screen 0 1024x768x24" bash tests/release/downloads_test.sh dist "$version" \
    "$(sed -n 's/.*programVersion = "\(.*\)";/\1/p' build-windows/generated/numir_version.h)"
# The end-to-end scenarios drive each program as users get it, out of its download.
test_windows_program() { # folder arch
    rm -rf "$1/from-zip"
    python3 -m zipfile -e dist/numir-assistant-*-windows-"$2".zip "$1/from-zip"
    cmake -S . -B "$1" -DNUMIR_E2E_PROGRAM="$PWD/$1/from-zip/numir-assistant.exe" >/dev/null
    ctest --test-dir "$1" --output-on-failure
}
test_windows_program build-windows x64
# The x86 program is built, zipped and checked above in any case; its tests need 32-bit Wine.
if ! bash scripts/can-run-32-bit.sh; then
    echo "The x86 program's tests were not run: this machine's kernel cannot run 32-bit programs."
elif ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
    reason=$(cat "$wine32_note")
    echo "The x86 program's tests under Wine were not run: ${reason:-32-bit Wine is not installed.}"
else
    bash scripts/build-windows.sh x86 -DNUMIR_WERROR=ON
    test_windows_program build-windows-x86 x86
fi

echo "== the downloads are the same bytes when built again elsewhere"
again=$(mktemp -d)
git ls-files -z | xargs -0 cp --parents -t "$again"
(cd "$again" && bash scripts/release.sh >/dev/null)
cmp dist/SHA256SUMS "$again/dist/SHA256SUMS"
rm -rf "$again"

echo "== tests against the rest, in non-blank lines of C++, C, shell, Python and CMake files"
kinds='\.(cpp|h|hpp|cc|c|sh|py|cmake|in)$|CMakeLists\.txt$|^\.ci/run$'
lines_of() { git ls-files | grep -E "$kinds" | grep "$@" '^tests/' | xargs cat | grep -cv '^\s*$'; }
tests=$(lines_of) code=$(lines_of -v)
share=$((1000 * tests / code))
echo "tests: $tests lines, the rest: $code lines: $((share / 10)).$((share % 10))%"
((100 * tests <= 33 * code)) || { echo "The tests are over 33% of the rest: fold them." && exit 1; }
