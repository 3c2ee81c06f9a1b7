#!/usr/bin/env bash
# Installs the Debian 12 packages a task needs, skipping what is already there so that a
# second call takes a moment. Uses sudo when not called as root.
# Usage: install-packages.sh [run|all]
#   run: building and running the program (the compiler, CMake, Qt 6, a Japanese font,
#        xdg-open for the メモ帳で見る button)
#   all: everything the tests, the Debian package and the Windows downloads need as well
# A registry in the middle of a sync can serve an index that does not fetch: the set-up goes
# on with the indexes it has and fails only for a needed package it cannot install. Where
# 32-bit Wine cannot be installed, it says why, and writes that line to the file named by
# NUMIR_WINE32_NOTE when set, so the test command can leave out only what needs it.
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
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
# apt's last error line, on one line.
apt_said() { grep -E '^(E|W): ' <<<"$1" | tail -n 1 | sed 's/^[EW]: //'; }

# A few tries with a pause; then the indexes that did come are used.
update_indexes() {
    local try said
    for try in 1 2 3; do
        said=$(as_root apt-get update -qq 2>&1) && return 0
        ((try == 3)) || sleep 10
    done
    echo "Some package indexes could not be fetched; going on with the others: $(apt_said "$said")"
}

# Installs the packages named, or names the first that cannot be installed and what apt said.
install_or_name() {
    local said package
    said=$(as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        --no-install-recommends "$@" 2>&1 >/dev/null) && return 0
    for package in "$@"; do
        if ! one=$(as_root apt-get install -s -qq --no-install-recommends "$package" 2>&1); then
            echo "Could not install $package: $(apt_said "$one")"
            return 1
        fi
    done
    echo "Could not install ${*}: $(apt_said "$said")"
    return 1
}

missing=()
for package in "${packages[@]}"; do
    installed "$package" || missing+=("$package")
done
if ((${#missing[@]} > 0)); then
    echo "Installing: ${missing[*]}"
    update_indexes
    install_or_name "${missing[@]}" || exit 1
fi
[[ $set_wanted == run ]] && exit 0

# The 32-bit Windows program's tests need 32-bit Wine. Where the kernel cannot run 32-bit
# programs, installing it would break Wine altogether: the wine command would pick the
# 32-bit loader and fail for every program. Where the registry cannot give it (its 32-bit
# libraries must match the 64-bit ones already installed), only those tests are left out.
if bash "$(dirname "$0")/can-run-32-bit.sh" && ! installed wine32:i386; then
    echo "Installing: wine32:i386"
    as_root dpkg --add-architecture i386
    update_indexes
    if ! said=$(install_or_name wine32:i386); then
        note="32-bit Wine could not be installed from the package registry: ${said#Could not install wine32:i386: }"
        echo "$note"
        [[ -z ${NUMIR_WINE32_NOTE:-} ]] || echo "$note" >"$NUMIR_WINE32_NOTE"
    fi
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
