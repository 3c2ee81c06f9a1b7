#!/usr/bin/env bash
# Checks the Windows downloads in DIST as a user's Windows would see them: the files in each
# zip, a readme that Notepad shows in Japanese, the licences, and the program file's version
# record, manifest and icon sizes, read back out of the .exe.
# Usage: release_test.sh DIST VERSION SHOWN_VERSION   (for instance dist 1.0.2 1.00.0002)
set -euo pipefail
dist=$1 version=$2 shown=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" && exit 1; }
passed=0

for arch in x64 x86; do
    zip="$dist/numir-assistant-$version-windows-$arch.zip"
    [[ -f $zip ]] || fail "no $zip"
    grep -q " ${zip##*/}\$" "$dist/SHA256SUMS" || fail "SHA256SUMS lacks ${zip##*/}"
    (cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
    listing=$(python3 -m zipfile -l "$zip" | awk 'NR > 1 {print $1}' | sort | tr '\n' ' ')
    [[ $listing == "LICENSE.txt licenses/GPL-3.txt licenses/gcc-runtime.txt licenses/mingw-w64-runtime.txt numir-assistant.exe はじめにお読みください.txt " ]] ||
        fail "$arch zip holds: $listing"
    rm -rf "$work/$arch" && python3 -m zipfile -e "$zip" "$work/$arch"
    cd "$work/$arch"

    for text in はじめにお読みください.txt LICENSE.txt licenses/*.txt; do
        [[ $(head -c 3 "$text") == $'\xef\xbb\xbf' ]] || fail "$arch $text has no byte-order mark"
        ! grep -qv $'\r$' "$text" || fail "$arch $text has a line without CR LF"
        iconv -f UTF-8 -t UTF-16 "$text" >/dev/null || fail "$arch $text is not UTF-8"
    done
    readme=はじめにお読みください.txt
    for phrase in "バージョン $shown" 入力エラー 予想件数 予想エラー ファイルエラー velnor.ini numir.txt \
        削除 "MIT ライセンス" "$([[ $arch == x86 ]] && echo 32 || echo 64) ビット"; do
        grep -q "$phrase" "$readme" || fail "$arch readme does not say '$phrase'"
    done
    grep -q 'GCC RUNTIME LIBRARY EXCEPTION' licenses/gcc-runtime.txt || fail "no runtime exception"
    grep -q 'winpthreads' licenses/mingw-w64-runtime.txt || fail "no winpthreads licence"

    exe=numir-assistant.exe
    [[ $(wrestool -l "$exe" | grep -c 'language=1041') == $(wrestool -l "$exe" | wc -l) ]] ||
        fail "$arch resources not all Japanese"
    record=$(wrestool -x --raw --type=16 "$exe" | iconv -f UTF-16LE -t UTF-8 2>/dev/null | tr '\0' '\n')
    for field in CompanyName LegalCopyright InternalName FileDescription OriginalFilename \
        ProductName "$shown" "MIT License"; do
        grep -q "$field" <<<"$record" || fail "$arch version record lacks $field"
    done
    manifest=$(wrestool -x --raw --type=24 "$exe")
    [[ $(grep -c '<supportedOS' <<<"$manifest") == 4 ]] || fail "$arch manifest: not four systems"
    grep -q 'requestedExecutionLevel level="asInvoker"' <<<"$manifest" || fail "$arch manifest: elevation"
    wrestool -x --type=14 "$exe" >"$work/icon.ico"
    sizes=$(icotool -l "$work/icon.ico" | sed -n 's/.*--width=\([0-9]*\) --height=\([0-9]*\).*/\1x\2/p' | tr '\n' ' ')
    [[ $sizes == "16x16 24x24 32x32 48x48 256x256 " ]] || fail "$arch icon sizes: $sizes"
    cd - >/dev/null
    passed=$((passed + 1))
done
echo "$passed passed, 0 failed"
