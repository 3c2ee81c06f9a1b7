#!/usr/bin/env bash
# Makes what users download, in dist/: numir-assistant-<version>-windows-x64.zip and
# -windows-x86.zip, each holding the program, its Japanese readme and the licences of the
# program and of the runtime linked into it; the Debian package
# numir-assistant_<version>_<arch>.deb; and SHA256SUMS over them. Two runs on the same commit
# give the same bytes. Needs the packages of scripts/install-packages.sh.
# Usage: release.sh [--deb]   (--deb: the Debian package alone)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 315532800)}
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
rm -rf dist
mkdir dist

# The Debian package, from a build of its own without the tests.
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DNUMIR_BUILD_BENCH=OFF -DNUMIR_WERROR=ON >/dev/null
cmake --build build-package -j "$(nproc)" >/dev/null
rm -rf build-package/cpack
(cd build-package && cpack -G DEB 2>&1 >/dev/null | grep -v "Generating dependency list" >&2 || true)
cp build-package/cpack/*.deb dist/
if [[ ${1:-} == --deb ]]; then
    (cd dist && sha256sum -- *.deb >SHA256SUMS)
    cat dist/SHA256SUMS
    exit 0
fi

# Notepad on every Windows reads UTF-8 with a byte-order mark and CR LF line ends.
for_notepad() { printf '\xef\xbb\xbf' >"$2" && sed 's/\r*$/\r/' "$1" >>"$2"; }
for_notepad LICENSE "$staging/LICENSE.txt"
for_notepad /usr/share/doc/mingw-w64-common/copyright "$staging/mingw-w64-runtime.txt"
for_notepad /usr/share/doc/gcc-mingw-w64-base/copyright "$staging/gcc-runtime.txt"
for_notepad /usr/share/common-licenses/GPL-3 "$staging/GPL-3.txt"

for arch in x64 x86; do
    bash scripts/build-windows.sh "$arch" --program-only -DNUMIR_WERROR=ON >/dev/null
    folder=build-windows
    [[ $arch == x64 ]] || folder=build-windows-x86
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$folder/CMakeCache.txt")
    for_notepad "$folder/readme.ja.txt" "$staging/readme-$arch.txt"
    python3 scripts/make_zip.py "dist/numir-assistant-$version-windows-$arch.zip" \
        "numir-assistant.exe=$folder/numir-assistant.exe" \
        "はじめにお読みください.txt=$staging/readme-$arch.txt" \
        "LICENSE.txt=$staging/LICENSE.txt" \
        "licenses/mingw-w64-runtime.txt=$staging/mingw-w64-runtime.txt" \
        "licenses/gcc-runtime.txt=$staging/gcc-runtime.txt" \
        "licenses/GPL-3.txt=$staging/GPL-3.txt"
done
(cd dist && sha256sum -- *.zip *.deb >SHA256SUMS)
cat dist/SHA256SUMS
