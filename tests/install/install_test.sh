#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks that a desktop finds the program there:
# the executable, a valid menu entry, and a 32 x 32 icon in the hicolor theme.
# Usage: install_test.sh BUILD_FOLDER
set -euo pipefail
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null

check() {
    if "$@"; then echo "ok: ${*: -1}"; else echo "FAIL: $*"; exit 1; fi
}
check test -x "$prefix/bin/numir-assistant"
entry="$prefix/share/applications/numir-assistant.desktop"
check desktop-file-validate "$entry"
check grep -qx 'Name=NUMIRアシスタント' "$entry"
check grep -qx 'Icon=numir-assistant' "$entry"
check grep -qx 'Categories=Utility;' "$entry"
icon="$prefix/share/icons/hicolor/32x32/apps/numir-assistant.png"
check test "$(identify -format '%w x %h %m' "$icon")" = "32 x 32 PNG"
