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

# The conversion tests prove that typed numbers do not follow a decimal-comma locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    locale-gen >/dev/null
fi
