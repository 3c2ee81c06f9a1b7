#!/usr/bin/env bash
# Drives the real program from outside, as a person would: a real X server, real clicks and
# keys at the places where the layout puts the controls, and results read back from
# numir.txt, the message boxes' titles and the status line (through the clipboard).
# The same scenarios drive the Qt program and, when PROGRAM ends in .exe, the Windows program
# under Wine (in the prefix that WINEPREFIX names).
# Usage: e2e_test.sh PROGRAM ARTIFACT_FOLDER   (run under xvfb-run)
set -uo pipefail

program=$(realpath "$1")
artifacts=$(realpath -m "$2")
on_wine=
[[ $program == *.exe ]] && on_wine=1
mkdir -p "$artifacts"
title='NUMIRアシスタント'
passed=0
failed=0
app_pid=
form=
work=

fail() { echo "  FAIL: $*"; return 1; }

# Polls a command for up to ten seconds instead of sleeping a fixed time.
wait_for() {
    local deadline=$((SECONDS + 10))
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.05
    done
}

window_named() { timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
window_absent() { ! xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }

start_program() {
    if [[ -n $on_wine ]]; then
        (cd "$work" && exec wine "$program") &
    else
        (cd "$work" && exec "$program") &
    fi
    app_pid=$!
}

wait_for_form() {
    form=$(window_named "$title") || true
    [[ -n "$form" ]] || fail "the window did not appear" || return 1
    eval "$(xdotool getwindowgeometry --shell "$form")"
    form_x=$X
    form_y=$Y
}

# Clicks a point given in twips of the window's client area, as the layout states places.
click_twips() {
    xdotool mousemove --sync $((form_x + $1 / 15)) $((form_y + $2 / 15)) click 1
}

# Each control's clicking point in twips of the client area: inside its rectangle and, for
# check boxes and option buttons, on the box or circle at their left.
declare -A at=(
    [Text1]="300 300" [Check1]="2250 300"
    [Text5]="240 780" [Check4]="810 780" [Text2]="1200 780" [Check2]="1770 780"
    [Text6]="2880 780" [Check5]="3450 780" [Text3]="3840 780" [Check3]="4410 780"
    [Option3]="570 1530" [Option4]="1890 1530" [Option9]="4290 1530" [Option10]="4290 1890"
    [Option1]="210 2580" [Option2]="210 2940"
    [Command1]="2700 2460" [Command2]="4500 2460" [Command3]="2700 2940" [Command4]="4500 2940"
    [Text4]="600 3360"
)

click() { click_twips ${at[$1]}; }

# Home and Shift+End select a line's text in both toolkits' fields.
type_into() {
    click "$1"
    xdotool key --clearmodifiers Home shift+End BackSpace
    xdotool type --delay 5 "$2"
}

# Reads the status line by copying it. Copying an empty field leaves the clipboard alone,
# so a marker put there first tells an empty line from a slow copy.
status_line() {
    local marker="<nothing copied>"
    printf '%s' "$marker" | xclip -selection clipboard >/dev/null 2>&1
    click Text4
    xdotool key --clearmodifiers Home shift+End ctrl+c
    local deadline=$((SECONDS + 2)) copied
    while copied=$(xclip -o -selection clipboard 2>/dev/null); [[ $copied == "$marker" ]]; do
        ((SECONDS < deadline)) || { copied=; break; }
        sleep 0.05
    done
    printf '%s' "$copied"
}

# Confirms the message box with this title by pressing Enter in it.
answer_box() {
    local box
    box=$(window_named "$1") || true
    [[ -n "$box" ]] || fail "no message box titled $1" || return 1
    if [[ -n $on_wine ]]; then
        xdotool key --window "$box" Return # there is no window manager to give it the focus
    else
        xdotool windowfocus --sync "$box" key Return
    fi
    wait_for window_absent "$1" || fail "the box $1 did not close"
}

file_size() { stat -c %s "$work/numir.txt" 2>/dev/null || echo -1; }
file_size_is() { [[ $(file_size) == "$1" ]]; }

new_folder_with_marker() {
    work=$(mktemp -d)
    printf 'support@velnor.example\r\n' >"$work/velnor.ini"
}

stop_program() {
    if [[ -n "$app_pid" ]] && kill -0 "$app_pid" 2>/dev/null; then
        kill "$app_pid" 2>/dev/null
        wait "$app_pid" 2>/dev/null
    fi
    [[ -n $on_wine ]] && wineserver -k 2>/dev/null # the program and any Notepad it opened
    app_pid=
    [[ -n "$work" ]] && rm -rf "$work"
    work=
}

scenario() {
    local name=$1
    echo "- $name"
    if "$name"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        import -window root "$artifacts/failed-$name.png" 2>/dev/null
    fi
    stop_program
}

# --- scenarios --------------------------------------------------------------------------

startup_without_companion_settings_shows_the_notice() {
    work=$(mktemp -d)
    start_program
    answer_box 'オススメ' || return 1
    wait_for_form || return 1
    [[ -f "$work/velnor.ini" && ! -s "$work/velnor.ini" ]] || fail "velnor.ini not left empty" || return 1
    [[ -f "$work/numir.txt" ]] || fail "numir.txt not created"
}

startup_with_the_marker_shows_no_notice_and_keeps_the_file() {
    new_folder_with_marker
    printf '010203040506\r\n' >"$work/numir.txt"
    start_program
    wait_for_form || return 1
    window_absent 'オススメ' || fail "the notice was shown" || return 1
    import -window root "$artifacts/window-after-start-up.png"
    [[ $(cat "$work/numir.txt") == $'010203040506\r' ]] || fail "numir.txt changed at start-up"
}

default_run_writes_ten_lines_and_reports() {
    new_folder_with_marker
    start_program
    wait_for_form || return 1
    click Command1
    wait_for file_size_is 140 || fail "numir.txt holds $(file_size) bytes, not 140" || return 1
    local report
    report=$(status_line)
    [[ $report =~ ^\ 予想を書込みました。\ [0-9]+個の組合せから選出$ ]] || fail "status line reads '$report'"
}

run_with_include_exclude_and_previous_draw() {
    new_folder_with_marker
    start_program
    wait_for_form || return 1
    click Check3 && type_into Text3 43
    click Check2 && type_into Text2 1
    click Check1 && type_into Text1 010203040506
    click Option3
    click Command1
    wait_for file_size_is 70 || fail "numir.txt holds $(file_size) bytes, not 70" || return 1
    local line shared
    while IFS=$'\r' read -r line _; do
        [[ $line =~ ^[0-9]{10}43$ ]] || fail "line $line lacks 43" || return 1
        [[ $line != 01* ]] || fail "line $line holds the excluded 01" || return 1
        shared=0
        for piece in 02 03 04 05 06; do
            for ((k = 0; k < 12; k += 2)); do [[ ${line:k:2} == "$piece" ]] && shared=$((shared + 1)); done
        done
        ((shared == 1)) || fail "line $line shares $shared numbers with the previous draw" || return 1
    done <"$work/numir.txt"
}

refused_run_leaves_the_file_untouched() {
    new_folder_with_marker
    start_program
    wait_for_form || return 1
    printf 'keep\r\n' >"$work/numir.txt"
    click Check5 # include number 2 on, its field empty
    click Command1
    answer_box '入力エラー' || return 1
    [[ $(cat "$work/numir.txt") == $'keep\r' ]] || fail "the refused run changed numir.txt"
}

append_mode_adds_behind_earlier_lines() {
    new_folder_with_marker
    start_program
    wait_for_form || return 1
    click Option1
    click Option3
    click Command1
    wait_for file_size_is 70 || fail "first run: $(file_size) bytes" || return 1
    local first
    first=$(cat "$work/numir.txt")
    click Command1
    wait_for file_size_is 140 || fail "second run: $(file_size) bytes" || return 1
    [[ $(head -c 70 "$work/numir.txt") == "$first" ]] || fail "the first five lines changed"
}

reset_restores_the_start_state() {
    new_folder_with_marker
    start_program
    wait_for_form || return 1
    click Check5 # would refuse the run with an empty field
    type_into Text1 0102
    click Option1
    click Option10
    click Command2
    [[ -z $(status_line) ]] || fail "the status line is not empty" || return 1
    printf 'old\r\n' >"$work/numir.txt"
    click Command1 # a default run: replace mode, ten lines, no check box on
    wait_for file_size_is 140 || fail "after Reset a run wrote $(file_size) bytes, not 140"
}

viewer_button_opens_the_file() {
    new_folder_with_marker
    if [[ -n $on_wine ]]; then
        start_program
        wait_for_form || return 1
        click Command3
        local notepad
        notepad=$(timeout 10 xdotool search --sync --onlyvisible --name 'numir\.txt' 2>/dev/null | head -n 1)
        [[ -n $notepad ]] || fail "no Notepad window on numir.txt appeared" || return 1
        import -window root "$artifacts/notepad-on-numir.png"
        return 0
    fi
    mkdir "$work/bin"
    printf '#!/bin/sh\necho "$@" > "%s/viewer-arguments"\n' "$work" >"$work/bin/xdg-open"
    chmod +x "$work/bin/xdg-open"
    PATH="$work/bin:$PATH" start_program
    wait_for_form || return 1
    click Command3
    wait_for test -s "$work/viewer-arguments" || fail "the viewer was not started" || return 1
    [[ $(cat "$work/viewer-arguments") == numir.txt ]] || fail "viewer got '$(cat "$work/viewer-arguments")'"
}

close_button_ends_the_program_cleanly() {
    new_folder_with_marker
    start_program
    wait_for_form || return 1
    click Command4
    local status
    wait "$app_pid"
    status=$?
    app_pid=
    ((status == 0)) || fail "exit status $status"
}

# Wine's file dialogs and boxes follow the locale; the prefix itself is made beforehand.
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

for name in startup_without_companion_settings_shows_the_notice \
    startup_with_the_marker_shows_no_notice_and_keeps_the_file \
    default_run_writes_ten_lines_and_reports run_with_include_exclude_and_previous_draw \
    refused_run_leaves_the_file_untouched append_mode_adds_behind_earlier_lines \
    reset_restores_the_start_state viewer_button_opens_the_file \
    close_button_ends_the_program_cleanly; do
    scenario "$name"
done

echo "$passed passed, $failed failed"
((failed == 0))
