#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test the program, skipping what
# is already there so that a second call takes a moment. Needs root.
set -euo pipefail

packages=(
    g++ cmake make pkg-config
    qt6-base-dev fonts-ipafont-gothic
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-format locales
    xvfb xauth xdotool xclip x11-utils imagemagick
    desktop-file-utils
    g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} > 0)); then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The conversion tests prove that typed numbers do not follow a decimal-comma locale; the
# Windows program is tested as a Japanese Windows shows it.
for wanted in de_DE ja_JP; do
    if ! locale -a 2>/dev/null | grep -qi "^$wanted\.utf-\?8\$"; then
        sed -i "s/^# *$wanted.UTF-8 UTF-8/$wanted.UTF-8 UTF-8/" /etc/locale.gen
        regenerate=1
    fi
done
if [[ -n ${regenerate:-} ]]; then
    locale-gen >/dev/null
fi
