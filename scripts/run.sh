#!/usr/bin/env bash
# Installs what building and running need (with sudo when not root), builds the program and
# its icons, and opens its window in the current folder, where it keeps numir.txt. The build
# and the program run as the user who called the script, also when it was called with sudo.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

bash "$root/scripts/install-packages.sh" run

user_command=()
if ((EUID == 0)) && [[ -n ${SUDO_USER:-} && $SUDO_USER != root ]]; then
    runtime_dir=/run/user/$(id -u "$SUDO_USER")
    [[ -d $runtime_dir ]] || runtime_dir=
    user_command=(sudo -u "$SUDO_USER" -- env
        ${DISPLAY:+DISPLAY=$DISPLAY} ${WAYLAND_DISPLAY:+WAYLAND_DISPLAY=$WAYLAND_DISPLAY}
        ${XAUTHORITY:+XAUTHORITY=$XAUTHORITY} ${runtime_dir:+XDG_RUNTIME_DIR=$runtime_dir})
fi

# The program and its icons, without the tests and benchmarks, so that `cmake --install build`
# works afterwards.
"${user_command[@]}" cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=OFF -DNUMIR_BUILD_BENCH=OFF
"${user_command[@]}" cmake --build "$root/build" -j "$(nproc)" \
    --target numir-assistant numir_icon_files numir_package_files
exec "${user_command[@]}" "$root/build/numir-assistant"
