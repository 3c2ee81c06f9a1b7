#!/usr/bin/env bash
# Drives the real program (the Qt one, or a .exe under Wine) from outside as a person would,
# with clicks and keys on an X server, reading numir.txt, the boxes' titles and the status line.
# Usage: e2e_test.sh PROGRAM ARTIFACT_FOLDER [PROBE: reads the Windows program's focus and names]
set -uo pipefail
program=$(realpath "$1")
artifacts=$(realpath -m "$2")
probe_program=${3:+$(realpath "$3")}
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

new_folder() { # with the companion's marker, and a stand-in viewer that notes its arguments
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
# Clicking points in twips of the client area; for check boxes and options, on the box.
declare -A at=([Text3]="3840 780" [Check3]="4410 780" [Option3]="570 1530" [Option1]="210 2580"
    [Command1]="2700 2460" [Command3]="2700 2940" [Command4]="4500 2940" [Text4]="600 3360" [background]="5000 3400")
click() {
    local twips=(${at[$1]})
    xdotool mousemove --sync $((X + twips[0] / 15)) $((Y + twips[1] / 15)) click 1
}
status_line() { # copied: its text cannot be read from outside the program
    printf '<none>' | xclip -selection clipboard
    click Text4 && xdotool key --clearmodifiers Home shift+End ctrl+c
    wait_for clipboard_changed && xclip -o -selection clipboard
}
clipboard_changed() { [[ $(xclip -o -selection clipboard 2>/dev/null) != '<none>' ]]; }
keys() { xdotool key --clearmodifiers --delay 40 "$@"; }
answer_box() { # with Enter; under Wine no window manager gives a box the focus
    local box
    box=$(window_named "$1")
    [[ -n $box ]] || fail "no message box titled $1" || return 1
    if [[ -n $on_wine ]]; then xdotool key --window "$box" Return; else xdotool windowfocus --sync "$box" key Return; fi
    wait_for window_absent "$1" || fail "the box $1 did not close"
}

# A run that must hold 43, pasted in full width (keys for full-width digits are unreliable),
# one that appends, and the viewer on the file.
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
    click Option1 && click Option3 && click Command1
    wait_for file_size_is 210 && [[ $(head -c 140 "$work/numir.txt") == "$first" ]] || fail "the run did not append" || return 1
    click Command3
    if [[ -n $on_wine ]]; then # Wine's own Notepad, titled by the file it opened
        [[ -n $(timeout 10 xdotool search --sync --onlyvisible --name 'numir\.txt - (メモ帳|Notepad)' 2>/dev/null) ]] ||
            fail "no Notepad window on numir.txt appeared" || return 1
        import -window root "$artifacts/notepad-on-numir.png"
    else # then a desktop where nothing can open the file: xdg-open fails, and the box says so
        wait_for test -s "$work/viewer-arguments" && [[ $(cat "$work/viewer-arguments") == "$work/numir.txt" ]] ||
            fail "the viewer was not started on numir.txt" || return 1
        printf '#!/bin/sh\nexit 4\n' >"$work/bin/xdg-open" && click Command3 && answer_box '起動エラー'
    fi
}

# Keyboard only, which follows the tab order: the previous draw typed into the field focused at
# start-up; mode and preset changed with arrow keys at their groups' tab stops (１０件 before
# Text4, ３０件 or ５０件 after); a refusal's box gives the focus back to スタート; 閉じる.
keyboard_only() {
    new_folder && printf 'old\r\n' >"$work/numir.txt"
    start_program && wait_for_form || return 1
    click background # the window takes the keyboard; the focus stays where it is
    xdotool type --delay 40 000000000043
    keys Tab space Tab Tab Tab Tab Tab Up # 前回番号を参考にする on; 新規に書き込 -> 追加する
    # スタート .. 閉じる, then １０件 -> ２０件 -> the next preset: Windows moves in the table's
    # order (５０件), Qt by place (３０件)
    keys Tab Tab Tab Tab Tab Right Right
    keys Tab Tab space # from that preset: Text5, then Check4 on with Text5 empty
    keys shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab space
    answer_box '入力エラー' || return 1
    sleep 0.3
    keys Tab Tab Tab Tab Tab Tab && xdotool type --delay 40 1 # back from スタート to Text5
    keys shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab space
    local lines=$([[ -n $on_wine ]] && echo 50 || echo 30)
    wait_for file_size_is $((5 + 14 * lines)) || fail "no run of $lines lines appended" || return 1
    [[ $(head -c 5 "$work/numir.txt") == $'old\r' && $(grep -c $'43\r$' "$work/numir.txt") == "$lines" &&
        $(grep -c "^01" "$work/numir.txt") == 0 ]] || fail "the lines do not follow the typed settings" || return 1
    click Command4 && wait_for program_ended || fail "閉じる did not end the program" || return 1
    wait "$app_pid"
    local status=$? && app_pid=
    ((status == 0)) || fail "exit status $status after 閉じる"
}
program_ended() { ! kill -0 "$app_pid" 2>/dev/null; }

# What the Windows program tells screen readers: every control's accessible name, and the
# focus after the notice (the tab order is the keyboard run's).
focus_and_names() {
    new_folder && rm "$work/velnor.ini" && start_program
    answer_box 'オススメ' && wait_for_form || return 1
    [[ $(probe focus) == Text1 ]] || fail "after the notice the focus is on $(probe focus)" || return 1
    diff <(tr '| ' '\n\t' <<<'Text1 前回番号|Check1 前回番号を参考にする|Check2 除く番号|Check3 含む番号|Text2 除く番号|Text3 含む番号|Option1 追加する|Option2 新規に書き込|Command1 スタート|Command2 リセット|Command3 メモ帳で見る|Command4 閉じる|Frame1 予想件数|Option3 ５件|Option4 １０件|Option5 ２０件|Text4 状態|Option6 ５０件|Option7 １００件|Option8 ２００件|Option9 ３０件|Option10 ５００件|Text5 除く番号２|Check4 除く番号２|Text6 含む番号２|Check5 含む番号２') \
        <(probe names) || fail "accessible names differ"
}
probe() { wine "$probe_program" "$@" | tr -d '\r'; }

# Beside a printing program under Program Files (x86), whose folder refuses writes as Windows
# does without administrator rights: velnor.ini and numir.txt are read and written where that
# older program sees them, in the user's VirtualStore; the folder is left as it was.
under_program_files() {
    local folder="$WINEPREFIX/drive_c/Program Files (x86)/Velnor"
    work="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/VirtualStore/Program Files (x86)/Velnor"
    mkdir -p "$folder" "$work" && cp "$program" "$folder/" && printf 'support@velnor.example\r\n' >"$work/velnor.ini"
    mount --bind "$folder" "$folder" && mount -o remount,ro,bind "$folder" || fail "no read-only folder" || return 1
    (cd "$folder" && exec wine numir-assistant.exe) &
    app_pid=$!
    wait_for_form || fail "a notice, though the store's velnor.ini has the marker" || return 1
    click Option1 && click Command1 && wait_for file_size_is 140 && click Command1 && wait_for file_size_is 280 ||
        fail "the store's numir.txt was not written and then extended" || return 1
    [[ $(ls -A "$folder") == numir-assistant.exe ]] || fail "the folder was changed: $(ls -A "$folder")" || return 1
    click Command3 # the store's file by its full name: the folder has none
    [[ -n $(timeout 10 xdotool search --sync --onlyvisible --name 'numir\.txt - (メモ帳|Notepad)' 2>/dev/null) ]] ||
        fail "no Notepad window on the store's numir.txt appeared"
}

export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
scenarios=(runs_and_the_viewer keyboard_only)
[[ -n $on_wine ]] && scenarios+=(focus_and_names under_program_files)
for name in "${scenarios[@]}"; do
    echo "- $name"
    "$name" && passed=$((passed + 1)) || { failed=$((failed + 1)) && import -window root "$artifacts/failed-$name.png"; }
    [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
    [[ -n $on_wine ]] && wineserver -k 2>/dev/null # the program and any Notepad it opened
    [[ $name != under_program_files ]] || { umount "$WINEPREFIX/drive_c/Program Files (x86)/Velnor" && rm -rf "$WINEPREFIX/drive_c/Program Files (x86)/Velnor"; }
    rm -rf "$work"
    app_pid= work=
done
echo "$passed passed, $failed failed"
((failed == 0))
