#!/usr/bin/env bash
# Checks the Windows downloads in DIST as a user's Windows would see them: the files in each
# zip, texts that Notepad shows in Japanese, the licences, and the program file's version
# record, manifest and icon sizes, read back out of the .exe.
# Usage: release_test.sh DIST VERSION SHOWN_VERSION   (for instance dist 1.0.2 1.00.0002)
set -euo pipefail
dist=$1 version=$2 shown=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" && exit 1; }
says() { for phrase in "${@:2}"; do grep -q "$phrase" <<<"$1" || fail "$arch: no '$phrase'"; done; }
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
for arch in x64 x86; do
    zip="$dist/numir-assistant-$version-windows-$arch.zip"
    grep -q " ${zip##*/}\$" "$dist/SHA256SUMS" || fail "SHA256SUMS lacks ${zip##*/}"
    [[ $(python3 -m zipfile -l "$zip" | awk 'NR > 1 {print $1}' | sort | tr '\n' ' ') == "LICENSE.txt licenses/GPL-3.txt licenses/gcc-runtime.txt licenses/mingw-w64-runtime.txt numir-assistant.exe はじめにお読みください.txt " ]] ||
        fail "$arch: the zip's files differ"
    # The readme's Japanese name as Info-ZIP's unzip, 7-Zip and libarchive list it.
    for lister in "unzip -l" "7z l" "bsdtar -tf"; do # read whole: grep -q would cut the pipe
        grep -q 'はじめにお読みください\.txt' <<<"$($lister "$zip")" || fail "$arch: $lister misreads the readme's name"
    done
    python3 -m zipfile -e "$zip" "$work/$arch" && cd "$work/$arch"
    for text in *.txt licenses/*.txt; do
        [[ $(head -c 3 "$text") == $'\xef\xbb\xbf' ]] && ! grep -qv $'\r$' "$text" &&
            iconv -f UTF-8 -t UTF-16 "$text" >/dev/null || fail "$arch $text: not UTF-8 with BOM and CR LF"
    done
    says "$(cat はじめにお読みください.txt)" "バージョン $shown" 入力エラー 予想件数 予想エラー \
        ファイルエラー velnor.ini numir.txt 削除 "MIT ライセンス" "$([[ $arch == x86 ]] && echo 32 || echo 64) ビット"
    says "$(cat licenses/*.txt)" 'GCC RUNTIME LIBRARY EXCEPTION' winpthreads
    exe=numir-assistant.exe
    [[ $(wrestool -l $exe | grep -vc 'language=1041') == 0 ]] || fail "$arch: resources not all Japanese"
    says "$(wrestool -x --raw --type=16 $exe | iconv -f UTF-16LE -t UTF-8 2>/dev/null | tr '\0' '\n')" \
        CompanyName LegalCopyright InternalName FileDescription OriginalFilename ProductName "$shown" "MIT License"
    [[ $(wrestool -x --raw --type=24 $exe | grep -c '<supportedOS\|level="asInvoker"') == 5 ]] ||
        fail "$arch: the manifest lacks a system or runs elevated"
    wrestool -x --type=14 $exe >icon.ico
    [[ $(icotool -l icon.ico | grep -o 'width=[0-9]*' | tr '\n' ' ') == "width=16 width=24 width=32 width=48 width=256 " ]] ||
        fail "$arch: icon sizes $(icotool -l icon.ico | grep -o 'width=[0-9]*' | tr '\n' ' ')"
    cd - >/dev/null
done
echo "2 passed, 0 failed"
