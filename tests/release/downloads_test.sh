#!/usr/bin/env bash
# Checks what users download, one expectation a line, listing every one that fails: each
# Windows zip (files, Notepad-ready Japanese texts, licences, and the version record, manifest
# and icon sizes read out of the .exe) and the Debian package (unpacked: every file, its
# dependencies, the validators, lintian, and the installed program started once).
# Usage: downloads_test.sh DIST VERSION SHOWN_VERSION   (under xvfb-run; e.g. dist 1.0.2 1.00.0002)
set -uo pipefail
dist=$(realpath "$1") version=$2 shown=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
expect() { # what, then the command that must succeed
    local what=$1
    shift
    "$@" >"$work/out" 2>&1 || { echo "  FAIL: $what" && sed 's/^/    /' "$work/out" && ((++failures)); }
}
says() { for phrase in "${@:2}"; do grep -qF -- "$phrase" "$1" || { echo "no '$phrase'" && return 1; }; done; }
for_notepad() { [[ $(head -c 3 "$1") == $'\xef\xbb\xbf' ]] && ! grep -qv $'\r$' "$1" && iconv -f UTF-8 -t UTF-16 "$1" >/dev/null; }
listed() { $1 "$2" >"$work/listing" && grep -q 'はじめにお読みください\.txt' "$work/listing"; }

expect "SHA256SUMS matches" sh -c "cd '$dist' && sha256sum --quiet -c SHA256SUMS"
for arch in x64 x86; do
    zip=$dist/numir-assistant-$version-windows-$arch.zip x=$work/$arch
    expect "$arch: in SHA256SUMS" grep -q " ${zip##*/}\$" "$dist/SHA256SUMS"
    expect "$arch: the zip's files" test "$(python3 -m zipfile -l "$zip" | awk 'NR > 1 {print $1}' | sort | tr '\n' ' ')" = "LICENSE.txt licenses/GPL-3.txt licenses/gcc-runtime.txt licenses/mingw-w64-runtime.txt numir-assistant.exe はじめにお読みください.txt "
    for lister in "unzip -l" "7z l" "bsdtar -tf"; do
        expect "$arch: $lister reads the readme's Japanese name" listed "$lister" "$zip"
    done
    python3 -m zipfile -e "$zip" "$x"
    for text in "$x"/*.txt "$x"/licenses/*.txt; do
        expect "$arch ${text#"$x"/}: UTF-8 with a BOM and CR LF" for_notepad "$text"
    done
    expect "$arch: the readme" says "$x/はじめにお読みください.txt" "バージョン $shown" 入力エラー 予想件数 予想エラー \
        ファイルエラー velnor.ini numir.txt 削除 "MIT ライセンス" "$([[ $arch == x86 ]] && echo 32 || echo 64) ビット"
    cat "$x"/licenses/*.txt >"$x/licences"
    expect "$arch: the runtime's licences" says "$x/licences" 'GCC RUNTIME LIBRARY EXCEPTION' winpthreads
    exe=$x/numir-assistant.exe
    expect "$arch: every resource Japanese" test "$(wrestool -l "$exe" | grep -vc 'language=1041')" = 0
    wrestool -x --raw --type=16 "$exe" | iconv -f UTF-16LE -t UTF-8 2>/dev/null | tr '\0' '\n' >"$x/version"
    expect "$arch: the version record" says "$x/version" CompanyName LegalCopyright InternalName \
        FileDescription OriginalFilename ProductName "$shown" "MIT License"
    expect "$arch: the manifest names every system, not elevated" \
        test "$(wrestool -x --raw --type=24 "$exe" | grep -c '<supportedOS\|level="asInvoker"')" = 5
    wrestool -x --type=14 "$exe" >"$x/icon.ico"
    expect "$arch: the icon sizes" test "$(icotool -l "$x/icon.ico" | grep -o 'width=[0-9]*' | tr '\n' ' ')" = \
        "width=16 width=24 width=32 width=48 width=256 "
done

deb=$(echo "$dist"/numir-assistant_*.deb) root=$work/root usr=$work/root/usr
expect "the package named for its version" test "${deb##*/}" = "numir-assistant_${version}_$(dpkg --print-architecture).deb"
expect "the package's version" test "$(dpkg-deb -f "$deb" Version)" = "$version"
for dependency in 'libqt6widgets6 (>= ' 'fonts-ipafont-gothic | fonts-noto-cjk' 'xdg-utils'; do
    expect "depends on $dependency" grep -qF "$dependency" <<<"$(dpkg-deb -f "$deb" Depends)"
done
dpkg-deb -x "$deb" "$root"
expect "the program" test -x "$usr/bin/numir-assistant"
expect "the menu entry" desktop-file-validate "$usr/share/applications/numir-assistant.desktop"
metainfo=$usr/share/metainfo/jp.numir.assistant.metainfo.xml
expect "the metainfo" appstreamcli validate --no-net "$metainfo"
expect "the metainfo's version and menu entry" says "$metainfo" "<release version=\"$version\"" '>numir-assistant.desktop</launchable>'
for size in 16 24 32 48 64 128 256; do
    expect "the icon at $size pixels" test "$(identify -format '%w x %h %m' "$usr/share/icons/hicolor/${size}x$size/apps/numir-assistant.png")" = "$size x $size PNG"
done
expect "the scalable icon" grep -q '<svg' "$usr/share/icons/hicolor/scalable/apps/numir-assistant.svg"
expect "the licence in the copyright file" says "$usr/share/doc/numir-assistant/copyright" 'License: MIT' 'Permission is hereby granted'
expect "the changelog" zgrep -q "numir-assistant ($version)" "$usr/share/doc/numir-assistant/changelog.gz"
expect "the manual page" zgrep -q '^\.TH NUMIR-ASSISTANT 1' "$usr/share/man/man1/numir-assistant.1.gz"
expect "lintian finds no error or warning" lintian --fail-on error,warning "$deb"

# Started from the installed tree in a folder of its own: the notice about the printing
# program, then the window, and numir.txt made.
export XDG_RUNTIME_DIR=$work/runtime && mkdir -m 700 "$XDG_RUNTIME_DIR" "$work/folder"
(cd "$work/folder" && exec "$usr/bin/numir-assistant") &
program=$!
shown() { timeout 10 xdotool search --sync --onlyvisible --name "^$1\$"; }
expect "the installed program shows its notice" shown 'オススメ'
xdotool search --onlyvisible --name '^オススメ$' windowfocus --sync key Return >/dev/null 2>&1
expect "then its window" shown 'NUMIRアシスタント'
expect "and makes numir.txt" test -f "$work/folder/numir.txt"
kill "$program" 2>/dev/null
wait "$program" 2>/dev/null
((failures == 0)) && echo "downloads: all checks passed"
