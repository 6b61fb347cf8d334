#!/usr/bin/env bash
# Plays the started game under a virtual X server with real input: a click on
# level 7 opens the play screen showing level 7, Space starts it, keypad keys
# move and turn the falling shape, Escape returns to the menu and Escape
# there ends the process with status 0. The fall is held with the console's
# "pause" command, so that only the keys move the shape between two
# captures. Skips (77) where Xvfb, xdotool, xwd or python3 is missing.
set -u
binary="$1"
here="$(cd "$(dirname "$0")" && pwd)"
pixels="$here/../support/window_pixels.py"
for tool in Xvfb xdotool xwd python3; do
    command -v "$tool" >/dev/null || exit 77
done

source "$here/../support/xvfb.sh"
open_game_window "$binary"

failures=0
capture() { xwd -silent -id "$WINDOW" >"$WORK/$1.xwd"; }
expect() {
    if [ "$2" "$3" "$4" ]; then
        echo "ok: $1 ($2)"
    else
        echo "FAILED: $1 ($2, wanted $3 $4)"
        failures=$((failures + 1))
    fi
}
# A press the game sees: down and up in different frames.
press() {
    xdotool keydown "$1"
    sleep 0.15
    xdotool keyup "$1"
    sleep 0.3
}
count() { python3 "$pixels" "$@"; }
# The level window, the well with the rows above it, the whole window.
level_box="206 8 276 50"
well_box="70 40 334 612"
all_box="0 0 713 653"

sleep 1
capture menu
# The pointer to the top-left corner, then onto level 7 (490, 460; 81 x 37).
xdotool mousemove_relative -- -2000 -2000
sleep 0.3
xdotool mousemove_relative 530 478
sleep 0.3
xdotool mousedown 1
sleep 0.15
xdotool mouseup 1
sleep 1
capture idle
expect "the play screen replaced the menu" "$(count changed "$WORK/menu.xwd" "$WORK/idle.xwd" $all_box)" -gt 100000
expect "a level number in the level window" "$(count light "$WORK/idle.xwd" $level_box)" -gt 20

press space
# The console's pause holds the fall; the keys still steer.
press Tab
sleep 0.8
xdotool type --delay 60 pause
press Return
press Tab
press space
sleep 4  # the info picture fades out over 255 frames
capture still1
sleep 0.5
capture still2
expect "nothing moves by itself" "$(count changed "$WORK/still1.xwd" "$WORK/still2.xwd" $well_box)" -lt 30
x0=$(count colour-x "$WORK/still2.xwd" $well_box)
press KP_6
press KP_6
capture right
x1=$(count colour-x "$WORK/right.xwd" $well_box)
expect "keypad 6 twice moved the shape right" "$x1" -gt $((x0 + 20))
press KP_4
capture left
x2=$(count colour-x "$WORK/left.xwd" $well_box)
expect "keypad 4 moved it back left" "$x2" -lt $((x1 - 8))
press KP_9
capture turned
expect "keypad 9 turned it" "$(count changed "$WORK/left.xwd" "$WORK/turned.xwd" $well_box)" -gt 100
press KP_7
capture back
expect "keypad 7 turned it back" "$(count changed "$WORK/left.xwd" "$WORK/back.xwd" $well_box)" -lt 30

press Escape
sleep 0.5
capture menu2
expect "Escape returned to the menu" "$(count changed "$WORK/menu.xwd" "$WORK/menu2.xwd" $all_box)" -lt 2000
press Escape
status=""
for _ in $(seq 60); do
    if ! kill -0 "$GAME_PID" 2>/dev/null; then
        wait "$GAME_PID"
        status=$?
        break
    fi
    sleep 0.05
done
if [ -z "$status" ]; then
    echo "FAILED: still running 3 s after Escape on the menu"
    failures=$((failures + 1))
else
    GAME_PID=""
    expect "exit status after Escape" "$status" -eq 0
fi
[ "$failures" -eq 0 ] || { echo "program output:"; cat "$WORK/out.txt"; }
[ "$failures" -eq 0 ]
