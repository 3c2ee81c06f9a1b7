#!/usr/bin/env bash
# Installs the Debian 12 packages a task needs, skipping what is already there so that a
# second call takes a moment. Uses sudo when not called as root.
# Usage: install-packages.sh [run|all]
#   run: building and running the program (the compiler, CMake, Qt 6, a Japanese font,
#        xdg-open for the メモ帳で見る button)
#   all: everything the tests, the Debian package and the Windows downloads need as well
set -euo pipefail
set_wanted=${1:-all}

run_packages=(
    g++ cmake make pkg-config
    qt6-base-dev qt6-svg-dev fonts-ipafont-gothic xdg-utils
)
test_packages=(
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-format clang libclang-rt-14-dev locales
    xvfb xauth xdotool xclip x11-utils imagemagick
    desktop-file-utils icoutils appstream lintian dpkg-dev
    g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-i686
    wine wine64 python3 strace unzip p7zip-full libarchive-tools
)
packages=("${run_packages[@]}")
[[ $set_wanted == run ]] || packages+=("${test_packages[@]}")

as_root() { if ((EUID == 0)); then "$@"; else sudo "$@"; fi; }

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} > 0)); then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi
[[ $set_wanted == run ]] && exit 0

# The 32-bit Windows program's tests need 32-bit Wine. Where the kernel cannot run 32-bit
# programs, installing it would break Wine altogether: the wine command would pick the
# 32-bit loader and fail for every program.
if bash "$(dirname "$0")/can-run-32-bit.sh" &&
    ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
    echo "Installing: wine32:i386"
    as_root dpkg --add-architecture i386
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        wine32:i386 >/dev/null
fi

# The conversion tests prove that typed numbers do not follow a decimal-comma locale; the
# Windows program is tested as a Japanese Windows shows it.
for wanted in de_DE ja_JP; do
    if ! locale -a 2>/dev/null | grep -qi "^$wanted\.utf-\?8\$"; then
        as_root sed -i "s/^# *$wanted.UTF-8 UTF-8/$wanted.UTF-8 UTF-8/" /etc/locale.gen
        regenerate=1
    fi
done
if [[ -n ${regenerate:-} ]]; then
    as_root locale-gen >/dev/null
fi
