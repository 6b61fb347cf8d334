#!/usr/bin/env bash
# The game started under a virtual X server from a copy of its files without
# the menu's picture: two error boxes come up (the missing picture, then its
# first failed draw) and no more once both are answered No; a click on level 7
# still opens the play screen. Then, in two more runs, SIGTERM and a request
# to close the window, each while the first box is open, end the program with
# status 0. Skips (77) where Xvfb, xdotool, xwd or python3 is missing.
set -u
binary="$1"
here="$(cd "$(dirname "$0")" && pwd)"
pixels="$here/../support/window_pixels.py"
for tool in Xvfb xdotool xwd python3; do
    command -v "$tool" >/dev/null || exit 77
done

source "$here/../support/xvfb.sh"
# The repository's own files stay untouched: other tests use them meanwhile.
game_dir="$(mktemp -d)"
cp -r "$here/../../images" "$here/../../wavs" "$here/../../mp3s" "$game_dir/"
rm "$game_dir/images/menu.png"
cd "$game_dir"
open_game_window "$binary"
trap 'close_game_window; rm -rf "$game_dir"' EXIT

failures=0
expect() {
    if [ "$2" "$3" "$4" ]; then
        echo "ok: $1 ($2)"
    else
        echo "FAILED: $1 ($2, wanted $3 $4)"
        failures=$((failures + 1))
    fi
}
capture() { xwd -silent -id "$WINDOW" >"$WORK/$1.xwd"; }
count() { python3 "$pixels" "$@"; }
all_box="0 0 713 653"
open_box() { xdotool search --name '^Oh Crap\.\.\.$' 2>/dev/null | head -n1; }
# wait_for_box: the id of an open error box, waiting up to 30 s.
wait_for_box() {
    local box=""
    for _ in $(seq 300); do
        box="$(open_box)"
        [ -n "$box" ] && break
        sleep 0.1
    done
    echo "$box"
}
focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }
# answer_no BOX: Escape on the box; once it is gone (waiting up to 30 s) the
# focus goes back to the game, as a window manager would give it: frames run
# only while the game's window has the focus.
answer_no() {
    focus "$1"
    xdotool key Escape
    for _ in $(seq 300); do
        xdotool search --name '^Oh Crap\.\.\.$' 2>/dev/null | grep -qx "$1" || break
        sleep 0.1
    done
    focus "$WINDOW"
}
# no_box_left: 0 once no error box is open, waiting up to 10 s for the last
# one to go; otherwise how many are open.
no_box_left() {
    for _ in $(seq 100); do
        [ -z "$(open_box)" ] && break
        sleep 0.1
    done
    open_box | wc -l
}
# wait_for_exit SECONDS: STATUS becomes the program's exit status, or stays
# empty if it still runs after that long.
wait_for_exit() {
    STATUS=""
    for _ in $(seq $(($1 * 10))); do
        if ! kill -0 "$GAME_PID" 2>/dev/null; then
            wait "$GAME_PID"
            STATUS=$?
            GAME_PID=""
            return
        fi
        sleep 0.1
    done
}

boxes=0
for _ in 1 2; do
    box="$(wait_for_box)"
    [ -n "$box" ] || break
    boxes=$((boxes + 1))
    answer_no "$box"
done
expect "error boxes answered No" "$boxes" -eq 2

# The menu without its backdrop, once it stands still (or a box came up).
capture menu
for _ in $(seq 300); do
    [ -n "$(open_box)" ] && break
    sleep 0.1
    capture menu_again
    [ "$(count changed "$WORK/menu.xwd" "$WORK/menu_again.xwd" $all_box)" -eq 0 ] && break
    mv "$WORK/menu_again.xwd" "$WORK/menu.xwd"
done
expect "no further error box" "$(open_box | wc -l)" -eq 0

# Level 7 (490, 460; 81 x 37): the pointer to the top-left corner, then onto it.
focus "$WINDOW"
xdotool mousemove_relative -- -2000 -2000
sleep 0.2
xdotool mousemove_relative 530 478
sleep 0.2
xdotool mousedown 1
sleep 0.15
xdotool mouseup 1
changed=0
for _ in $(seq 300); do
    [ -n "$(open_box)" ] && break
    capture play
    changed="$(count changed "$WORK/menu.xwd" "$WORK/play.xwd" $all_box)"
    [ "$changed" -gt 100000 ] && break
    sleep 0.1
done
expect "the click on level 7 opened the play screen" "$changed" -gt 100000
kill -TERM "$GAME_PID"
wait_for_exit 30
expect "exit status after SIGTERM" "${STATUS:-running}" = 0

# end_while_box_open HOW: a fresh run; once its first box is open, HOW ends it.
end_while_box_open() {
    [ -n "$GAME_PID" ] && kill -9 "$GAME_PID" 2>/dev/null
    start_game "$binary" "$WORK/out.txt"
    WINDOW="$(wait_for_window Tubrix)"
    local box
    box="$(wait_for_box)"
    if [ -z "$WINDOW" ] || [ -z "$box" ]; then
        echo "FAILED: no window or no error box to $1 under"
        failures=$((failures + 1))
        return
    fi
    case "$1" in
    sigterm) kill -TERM "$GAME_PID" ;;
    close) python3 "$here/../support/close_window.py" "$WINDOW" ;;
    esac
    wait_for_exit 30
    expect "exit status after $1 with a box open" "${STATUS:-running}" = 0
    expect "no error box left after $1" "$(no_box_left)" -eq 0
}
end_while_box_open sigterm
end_while_box_open close

[ "$failures" -eq 0 ] || { echo "program output:"; cat "$WORK/out.txt"; }
[ "$failures" -eq 0 ]
