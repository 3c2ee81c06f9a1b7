#!/usr/bin/env bash
# Drives the real program from outside, as a person would: clicks and keys where the layout
# puts the controls on a real X server, results read back from numir.txt, the boxes' titles
# and the status line. The same scenarios drive the Qt program and, when PROGRAM ends in
# .exe, the Windows program under Wine (WINEPREFIX).
# Usage: e2e_test.sh PROGRAM ARTIFACT_FOLDER   (run under xvfb-run)
set -uo pipefail
program=$(realpath "$1")
artifacts=$(realpath -m "$2")
mkdir -p "$artifacts"
on_wine=$([[ $program == *.exe ]] && echo 1)
passed=0 failed=0 app_pid= work=

fail() { echo "  FAIL: $*" && return 1; }
wait_for() { # polls for up to ten seconds
    local deadline=$((SECONDS + 10))
    until "$@"; do ((SECONDS < deadline)) || return 1; sleep 0.05; done
}
window_named() { timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
window_absent() { ! xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
file_size_is() { [[ $(stat -c %s "$work/numir.txt" 2>/dev/null) == "$1" ]]; }

# A fresh folder with the companion's marker, and a stand-in viewer that notes its arguments.
new_folder() {
    work=$(mktemp -d) && mkdir "$work/bin" && printf 'support@velnor.example\r\n' >"$work/velnor.ini"
    printf '#!/bin/sh\necho "$@" > "%s/viewer-arguments"\n' "$work" >"$work/bin/xdg-open"
    chmod +x "$work/bin/xdg-open"
}
start_program() {
    (cd "$work" && PATH="$work/bin:$PATH" exec ${on_wine:+wine} "$program") &
    app_pid=$!
}
wait_for_form() {
    local form
    form=$(window_named 'NUMIRアシスタント')
    [[ -n $form ]] || fail "the window did not appear" || return 1
    eval "$(xdotool getwindowgeometry --shell "$form")"
}
# Each control's clicking point in twips of the client area: inside its rectangle and, for
# check boxes and option buttons, on the box or circle at their left.
declare -A at=(
    [Text1]="300 300" [Check5]="3450 780" [Text3]="3840 780" [Check3]="4410 780" [Option3]="570 1530"
    [Option10]="4290 1890" [Option1]="210 2580" [Command1]="2700 2460" [Command2]="4500 2460"
    [Command3]="2700 2940" [Command4]="4500 2940" [Text4]="600 3360"
)
click() {
    local twips=(${at[$1]})
    xdotool mousemove --sync $((X + twips[0] / 15)) $((Y + twips[1] / 15)) click 1
}
# The status line, copied: its text cannot be read from outside the program.
status_line() {
    printf '<none>' | xclip -selection clipboard
    click Text4 && xdotool key --clearmodifiers Home shift+End ctrl+c
    wait_for clipboard_changed && xclip -o -selection clipboard
}
clipboard_changed() { [[ $(xclip -o -selection clipboard 2>/dev/null) != '<none>' ]]; }
# Confirms the box with this title with Enter; under Wine no window manager gives focus.
answer_box() {
    local box
    box=$(window_named "$1")
    [[ -n $box ]] || fail "no message box titled $1" || return 1
    if [[ -n $on_wine ]]; then xdotool key --window "$box" Return; else xdotool windowfocus --sync "$box" key Return; fi
    wait_for window_absent "$1" || fail "the box $1 did not close"
}

# A run that must hold 43, pasted in full width (keys for full-width digits are unreliable);
# a refused run that leaves the file alone; a run that appends; the viewer on the file.
runs_and_the_viewer() {
    new_folder
    start_program
    wait_for_form || return 1
    import -window root "$artifacts/window-after-start-up.png"
    click Check3 && click Text3 && printf '４３' | xclip -selection clipboard
    xdotool key --clearmodifiers ctrl+v && click Command1
    wait_for file_size_is 140 && [[ $(grep -c $'43\r$' "$work/numir.txt") == 10 ]] ||
        fail "numir.txt is not ten lines ending in 43" || return 1
    local report first
    report=$(status_line)
    [[ $report =~ ^\ 予想を書込みました。\ [0-9]+個の組合せから選出$ ]] || fail "status line reads '$report'" || return 1
    first=$(cat "$work/numir.txt")
    click Check5 && click Command1 # include number 2 on, its field empty
    answer_box '入力エラー' || return 1
    [[ $(cat "$work/numir.txt") == "$first" ]] || fail "the refused run changed numir.txt" || return 1
    click Check5 && click Option1 && click Option3 && click Command1
    wait_for file_size_is 210 && [[ $(head -c 140 "$work/numir.txt") == "$first" ]] || fail "the run did not append" || return 1
    click Command3
    if [[ -n $on_wine ]]; then # Wine's own Notepad, titled by the file it opened
        [[ -n $(timeout 10 xdotool search --sync --onlyvisible --name 'numir\.txt - (メモ帳|Notepad)' 2>/dev/null) ]] ||
            fail "no Notepad window on numir.txt appeared" || return 1
        import -window root "$artifacts/notepad-on-numir.png"
    else
        wait_for test -s "$work/viewer-arguments" && [[ $(cat "$work/viewer-arguments") == numir.txt ]] ||
            fail "the viewer was not started on numir.txt"
    fi
}

# Without the companion's settings the notice comes first, then the window.
notice_reset_and_close() {
    new_folder && rm "$work/velnor.ini"
    start_program
    answer_box 'オススメ' && wait_for_form || return 1
    click Check5 && click Text1 && xdotool type --delay 5 0102 # Check5 would refuse the run
    click Option1 && click Option10 && click Command2
    printf 'old\r\n' >"$work/numir.txt"
    click Command1 # a default run: replace mode, ten lines, no check box on
    wait_for file_size_is 140 || fail "after Reset a run did not write ten new lines" || return 1
    click Command4 && wait "$app_pid"
    local status=$?
    app_pid=
    ((status == 0)) || fail "exit status $status"
}

export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
for name in runs_and_the_viewer notice_reset_and_close; do
    echo "- $name"
    "$name" && passed=$((passed + 1)) || { failed=$((failed + 1)) && import -window root "$artifacts/failed-$name.png"; }
    [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
    [[ -n $on_wine ]] && wineserver -k 2>/dev/null # the program and any Notepad it opened
    rm -rf "$work"
    app_pid= work=
done
echo "$passed passed, $failed failed"
((failed == 0))
