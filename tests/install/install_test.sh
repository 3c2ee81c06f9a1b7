#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks that a desktop finds the program there:
# the executable, a valid menu entry, and the icon in the hicolor theme at every size.
# Usage: install_test.sh BUILD_FOLDER
set -euo pipefail
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
entry="$prefix/share/applications/numir-assistant.desktop"
test -x "$prefix/bin/numir-assistant"
desktop-file-validate "$entry"
grep -qx 'Name=NUMIRアシスタント' "$entry"
grep -qx 'Icon=numir-assistant' "$entry"
for size in 16 24 32 48 64 128 256; do
    icon="$prefix/share/icons/hicolor/${size}x$size/apps/numir-assistant.png"
    test "$(identify -format '%w x %h %m' "$icon")" = "$size x $size PNG"
done
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/numir-assistant.svg"
