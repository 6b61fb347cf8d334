#!/usr/bin/env bash
# Plays the started game under a virtual X server with real input: a click on
# level 7 opens the play screen showing level 7, Space starts it, keypad keys
# move and turn the shape, Escape returns to the menu and Escape there ends
# the process with status 0. The fall is held with the console's "pause"
# command from before the start, so that only the keys move the shape; the
# letters typed into the console do not reach the game (its P would pause
# it and the keys would no longer steer). Skips (77) where Xvfb, xdotool,
# xwd or python3 is missing.
set -u
binary="$1"
source "$(dirname "$0")/../support/xvfb.sh"
require_x_tools

open_game_window "$binary"

# The level window, the well with the rows above it, the whole window, and
# the pointer's place over level 7 (490, 460; 81 x 37) with room for it.
level_box="206 8 276 50"
well_box="70 40 334 612"
all_box="0 0 713 653"
pointer_box="515 465 565 510"
press() { must "a frame drawn while pressing $1" press_key "$1" $pointer_box; }
at() { window_pixels "$1" "$WORK/$2.xwd" $well_box; }

must "the menu showed" wait_for_menu menu
# The pointer to the top-left corner, then onto level 7: the button lights up.
on_level_7() {
    pointer_to 530 478 &&
        capture_until hover 5 pixels_are -gt 100 changed "$WORK/menu.xwd" "$WORK/hover.xwd" 490 460 571 497
}
must "the pointer lit level 7 up" keep_trying 60 on_level_7
xdotool mousedown 1
must "a frame drawn with the button down" frame_barrier $pointer_box
xdotool mouseup 1
capture_until idle 60 pixels_are -gt 20 light "$WORK/idle.xwd" $level_box
expect "a level number in the level window" "$PIXELS" -gt 20
expect "the play screen replaced the menu" "$(window_pixels changed "$WORK/menu.xwd" "$WORK/idle.xwd" $all_box)" -gt 100000

# The console's pause holds the fall from before the start, so the shape
# stays where it appears however slow the machine is (lower down, a turn
# may not fit); the keys still steer. Space goes down only once the console
# is gone: a key pressed while it is open or sliding is the console's.
xdotool key Tab
capture_until console 60 pixels_are -gt 1000 changed "$WORK/idle.xwd" "$WORK/console.xwd" $well_box
expect "Tab opened the console" "$PIXELS" -gt 1000
xdotool type --delay 60 pause
xdotool key Return
xdotool key Tab
capture_until closed 60 pixels_are -lt 30 changed "$WORK/idle.xwd" "$WORK/closed.xwd" $well_box
expect "Tab closed the console" "$PIXELS" -lt 30
press space
# The info picture's fade (255 frames) has ended: two captures with frames
# drawn between them agree.
settled() {
    frame_barrier $pointer_box && capture_window still1 &&
        frame_barrier $pointer_box && frame_barrier $pointer_box && capture_window still2 &&
        pixels_are -eq 0 differing "$WORK/still1.xwd" "$WORK/still2.xwd" $well_box
}
must "the well stood still" keep_trying 120 settled
# Then for three frames more nothing moves by itself.
for frame in 1 2 3; do must "frame $frame after the well stood still" frame_barrier $pointer_box; done
capture_window still2
expect "nothing moves by itself" "$(window_pixels changed "$WORK/still1.xwd" "$WORK/still2.xwd" $well_box)" -lt 30
x0=$(at colour-x still2)
# Each press is seen to act before the next is sent: a column is about 19 px.
press KP_6
capture_until right1 60 pixels_are -gt $((x0 + 8)) colour-x "$WORK/right1.xwd" $well_box
expect "keypad 6 moved the shape right" "$PIXELS" -gt $((x0 + 8))
press KP_6
capture_until right 60 pixels_are -gt $((x0 + 30)) colour-x "$WORK/right.xwd" $well_box
x1=$PIXELS
expect "keypad 6 again moved it a second column" "$x1" -gt $((x0 + 30))
press KP_4
capture_until left 60 pixels_are -lt $((x1 - 8)) colour-x "$WORK/left.xwd" $well_box
expect "keypad 4 moved it back left" "$PIXELS" -lt $((x1 - 8))
press KP_9
capture_until turned 60 pixels_are -gt 100 changed "$WORK/left.xwd" "$WORK/turned.xwd" $well_box
expect "keypad 9 turned it" "$PIXELS" -gt 100
press KP_7
capture_until back 60 pixels_are -lt 30 changed "$WORK/left.xwd" "$WORK/back.xwd" $well_box
expect "keypad 7 turned it back" "$PIXELS" -lt 30

press Escape
capture_until menu2 60 pixels_are -lt 2000 changed "$WORK/menu.xwd" "$WORK/menu2.xwd" $all_box
expect "Escape returned to the menu" "$PIXELS" -lt 2000
# The release ends the program: no frame to wait for after it.
xdotool keydown Escape
must "a frame drawn while Escape was down" frame_barrier $pointer_box
xdotool keyup Escape
if wait_for_exit 60; then
    expect "exit status after Escape" "$EXIT_STATUS" -eq 0
else
    echo "FAILED: still running 60 s after Escape on the menu"
    FAILURES=$((FAILURES + 1))
fi
[ "$FAILURES" -eq 0 ] || { echo "program output:"; cat "$WORK/out.txt"; }
[ "$FAILURES" -eq 0 ]
