#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks that a desktop finds the program there:
# the executable, a valid menu entry, and a 32 x 32 icon in the hicolor theme.
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
test "$(identify -format '%w x %h %m' "$prefix/share/icons/hicolor/32x32/apps/numir-assistant.png")" = "32 x 32 PNG"
