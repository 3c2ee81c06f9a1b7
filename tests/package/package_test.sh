#!/usr/bin/env bash
# Checks the Debian package as a user's system would get it: unpacked into a scratch root,
# every file the desktop needs in its place, the declared dependencies, the validators and
# lintian, and the installed program started once under Xvfb.
# Usage: package_test.sh DEB VERSION   (run under xvfb-run)
set -uo pipefail
deb=$(realpath "$1")
version=$2
root=$(mktemp -d) work=$(mktemp -d)
trap 'rm -rf "$root" "$work"' EXIT
failures=0
check() { # description, then the command
    local what=$1
    shift
    if "$@" >"$work/out" 2>&1; then echo "  ok: $what"; else
        echo "  FAIL: $what" && sed 's/^/    /' "$work/out" && failures=$((failures + 1))
    fi
}
field() { dpkg-deb -f "$deb" "$1"; }

check "named for its version" test "$(basename "$deb")" = "numir-assistant_${version}_$(dpkg --print-architecture).deb"
check "version $version" test "$(field Version)" = "$version"
for dependency in 'libqt6widgets6 (>= ' 'fonts-ipafont-gothic | fonts-noto-cjk' 'xdg-utils'; do
    check "depends on $dependency" grep -qF "$dependency" <<<"$(field Depends)"
done
dpkg-deb -x "$deb" "$root"
usr=$root/usr
check "the program" test -x "$usr/bin/numir-assistant"
check "the menu entry" desktop-file-validate "$usr/share/applications/numir-assistant.desktop"
check "the metainfo" appstreamcli validate --no-net "$usr/share/metainfo/jp.numir.assistant.metainfo.xml"
check "the metainfo names the version" grep -q "<release version=\"$version\"" "$usr/share/metainfo/jp.numir.assistant.metainfo.xml"
check "the metainfo names the menu entry" grep -q '>numir-assistant.desktop</launchable>' "$usr/share/metainfo/jp.numir.assistant.metainfo.xml"
for size in 16 24 32 48 64 128 256; do
    check "the icon at $size pixels" test "$(identify -format '%w x %h %m' "$usr/share/icons/hicolor/${size}x$size/apps/numir-assistant.png")" = "$size x $size PNG"
done
check "the scalable icon" grep -q '<svg' "$usr/share/icons/hicolor/scalable/apps/numir-assistant.svg"
check "the licence in the copyright file" grep -q '^License: MIT' "$usr/share/doc/numir-assistant/copyright"
check "the licence text" grep -q 'Permission is hereby granted' "$usr/share/doc/numir-assistant/copyright"
check "the changelog" zgrep -q "numir-assistant ($version)" "$usr/share/doc/numir-assistant/changelog.gz"
check "the manual page" zgrep -q '^\.TH NUMIR-ASSISTANT 1' "$usr/share/man/man1/numir-assistant.1.gz"
check "lintian finds no error or warning" lintian --fail-on error,warning "$deb"

# Started from the installed tree in a folder of its own: the notice about the printing
# program, then the window, and numir.txt made.
export XDG_RUNTIME_DIR=$work/runtime && mkdir -m 700 "$XDG_RUNTIME_DIR"
(cd "$work" && exec "$usr/bin/numir-assistant") &
program=$!
shown() { timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
check "the installed program shows its notice" shown 'オススメ'
xdotool search --onlyvisible --name '^オススメ$' windowfocus --sync key Return >/dev/null 2>&1
check "then its window" shown 'NUMIRアシスタント'
check "and makes numir.txt" test -f "$work/numir.txt"
kill "$program" 2>/dev/null
wait "$program" 2>/dev/null
((failures == 0)) && echo "package: all checks passed"
