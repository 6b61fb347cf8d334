#!/usr/bin/env bash
# The game started under a virtual X server from a copy of its files without
# the menu's picture: two error boxes come up (the missing picture, then its
# first failed draw) and no more once both are answered No; a click on level 7
# still opens the play screen. Then, in two more runs, SIGTERM and a request
# to close the window, each while the first box is open, end the program with
# status 0, and a child the program has besides the box's outlives it. Skips
# (77) where Xvfb, xdotool, xwd or python3 is missing.
set -u
binary="$1"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../support/xvfb.sh"
require_x_tools

# The repository's own files stay untouched: other tests use them meanwhile.
game_dir="$(mktemp -d)"
cp -r "$here/../../images" "$here/../../wavs" "$here/../../mp3s" "$game_dir/"
rm "$game_dir/images/menu.png"
cd "$game_dir" || exit 1
open_game_window "$binary"
# end_child: ends the child that with_child.sh (below) started, once; false
# if it had ended already (a killed child may linger as a zombie where no
# init reaps it).
end_child() {
    [ -f "$WORK/child.pid" ] || return 1
    local pid state
    pid="$(cat "$WORK/child.pid")"
    rm -f "$WORK/child.pid"
    state="$(sed 's/.*) //' "/proc/$pid/stat" 2>/dev/null | cut -c1)"
    kill "$pid" 2>/dev/null
    [ -n "$state" ] && [ "$state" != Z ]
}
trap 'end_child; close_game_window; rm -rf "$game_dir"' EXIT

open_boxes() { xdotool search --name '^Oh Crap\.\.\.$' 2>/dev/null; }
open_box() { open_boxes | head -n1; }
# box_opened: BOX becomes the id of an open error box; false (after a short
# pause) while none is.
box_opened() {
    BOX="$(open_box)"
    [ -n "$BOX" ] || { sleep 0.1; false; }
}
box_gone() {
    ! open_boxes | grep -qx "$1" || { sleep 0.1; false; }
}
no_box_open() { [ -z "$(open_box)" ] || { sleep 0.1; false; }; }
# answer_no BOX: Escape on the box; once it is gone (waiting up to 30 s) the
# focus goes back to the game, as a window manager would give it: frames run
# only while the game's window has the focus.
answer_no() {
    focus_window "$1"
    xdotool key Escape
    keep_trying 30 box_gone "$1"
    focus_window "$WINDOW"
}

boxes=0
for _ in 1 2; do
    keep_trying 30 box_opened || break
    boxes=$((boxes + 1))
    answer_no "$BOX"
done
expect "error boxes answered No" "$boxes" -eq 2

# The menu without its backdrop, once it stands still; then no box is open.
must "the menu stands still" wait_for_still menu 0 0 713 653
expect "no further error box" "$(open_boxes | wc -l)" -eq 0

# Level 7 (490, 460; 81 x 37): the button lights up under the pointer, then
# a press and a release in later frames.
focus_window "$WINDOW"
on_level_7() {
    pointer_to 530 478 &&
        capture_until hover 5 pixels_are -gt 100 changed "$WORK/menu.xwd" "$WORK/hover.xwd" 490 460 571 497
}
must "the pointer lights level 7 up" keep_trying 60 on_level_7
xdotool mousedown 1
must "a frame drawn with the button down" frame_barrier 500 450 600 530
xdotool mouseup 1
# Most of the window changes once the play screen is up; a box ends the wait.
opened() {
    capture_window play && pixels_are -gt 100000 changed "$WORK/menu.xwd" "$WORK/play.xwd" 0 0 713 653 &&
        return 0
    [ -n "$(open_box)" ] && return 0
    sleep 0.1
    false
}
keep_trying 60 opened
expect "the click on level 7 opened the play screen" "${PIXELS:-0}" -gt 100000
kill -TERM "$GAME_PID"
wait_for_exit 30
expect "exit status after SIGTERM" "${EXIT_STATUS:-running}" = 0

# The program with a child it did not start for a box: the shell starts a
# sleep, then becomes the program.
cat >"$WORK/with_child.sh" <<EOF
#!/usr/bin/env bash
sleep 600 &
echo \$! >"$WORK/child.pid"
exec "$binary"
EOF
chmod +x "$WORK/with_child.sh"

# end_while_box_open HOW: a fresh run; once its first box is open, HOW ends it.
end_while_box_open() {
    [ -n "$GAME_PID" ] && kill -9 "$GAME_PID" 2>/dev/null
    end_child
    start_game "$WORK/with_child.sh" "$WORK/out.txt"
    WINDOW="$(wait_for_window Tubrix)"
    BOX=""
    if [ -z "$WINDOW" ] || ! keep_trying 30 box_opened; then
        expect "a window and an error box to $1 under" "" = found
        return
    fi
    case "$1" in
    sigterm) kill -TERM "$GAME_PID" ;;
    close) python3 "$here/../support/close_window.py" "$WINDOW" ;;
    esac
    wait_for_exit 30
    expect "exit status after $1 with a box open" "${EXIT_STATUS:-running}" = 0
    end_child
    expect "the program's other child outlived $1" "$?" = 0
    keep_trying 10 no_box_open
    expect "no error box left after $1" "$(open_boxes | wc -l)" -eq 0
}
end_while_box_open sigterm
end_while_box_open close

[ "$FAILURES" -eq 0 ] || { echo "program output:"; cat "$WORK/out.txt"; }
[ "$FAILURES" -eq 0 ]
