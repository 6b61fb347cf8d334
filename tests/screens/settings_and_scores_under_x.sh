#!/usr/bin/env bash
# The settings and the score table last from one run to the next, under a
# virtual X server with real input and per-user folders in a temporary one.
# First run: F9, a click on rotate clockwise's key box and C rebind it; the
# game is quit. Second run: in a game C turns the shape and X no longer does;
# the game is then played to the top with keypad 5 held, "No" answers the
# prompt, the name "Tester" is typed over the offered one and the table shows
# it. Third run: F8 shows the table with it. Skips (77) where Xvfb, xdotool,
# xwd or python3 is missing.
set -u
binary="$1"
source "$(dirname "$0")/../support/xvfb.sh"
require_x_tools

open_display
all_box="0 0 713 653"
well_box="70 40 334 612"
# Where the game writes rotate clockwise's key, and the first line's name.
rotate_key_box="290 230 460 260"
first_name_box="80 128 290 162"

# run_game: the program started again, its menu shown, the pointer parked
# at (X, Y) with the box around it for frame_barrier in POINTER_BOX.
run_game() {
    open_game_window "$binary"
    wait_for_menu menu || { echo "the menu never showed"; cat "$WORK/out.txt"; exit 1; }
}
# park_pointer X Y: the pointer to (X, Y) of the window, until the game is
# seen drawing it there (the window takes the pointer only once it has the
# focus); POINTER_BOX is then the box around it for frame_barrier.
park_pointer() {
    POINTER_BOX="$(($1 - 20)) $(($2 - 15)) $(($1 + 45)) $(($2 + 40))"
    keep_trying 60 pointer_seen "$1" "$2" || echo "the pointer never showed at $1, $2"
}
pointer_seen() {
    pointer_to "$1" "$2" && capture_window park.before || return 1
    xdotool mousemove_relative -- 1 0
    capture_until park 3 pixels_are -gt 0 differing "$WORK/park.before.xwd" "$WORK/park.xwd" $POINTER_BOX
}
press() { press_key "$1" $POINTER_BOX || echo "no frame drawn while pressing $1"; }
click() {
    xdotool mousedown 1
    frame_barrier $POINTER_BOX
    xdotool mouseup 1
    frame_barrier $POINTER_BOX
}
# back_and_quit KEY: KEY leaves the screen for the menu, and Escape there
# ends the program.
back_and_quit() {
    press "$1"
    if ! wait_for_menu menu_again; then
        echo "FAILED: $1 did not lead to the menu"
        FAILURES=$((FAILURES + 1))
    fi
    xdotool keydown Escape
    frame_barrier $POINTER_BOX
    xdotool keyup Escape
    wait_for_exit 60
    expect "the run ended with status 0" "${EXIT_STATUS:-}" -eq 0
}

# --- first run: rebind rotate clockwise to C
run_game
park_pointer 650 560
press F9
capture_until settings 60 pixels_are -gt 100000 changed "$WORK/menu.xwd" "$WORK/settings.xwd" $all_box
expect "F9 opened the settings" "$PIXELS" -gt 100000
park_pointer 375 245
click
capture_until waiting 60 pixels_are -gt 20 changed "$WORK/settings.xwd" "$WORK/waiting.xwd" $rotate_key_box
expect "a click on the box waits for a key" "$PIXELS" -gt 20
press c
capture_until bound 60 pixels_are -gt 20 changed "$WORK/waiting.xwd" "$WORK/bound.xwd" $rotate_key_box
expect "C took the box" "$PIXELS" -gt 20
back_and_quit Escape

# --- second run: C turns the shape, X does not; a game to the end and a name
run_game
park_pointer 540 480
press F4
capture_until idle 60 pixels_are -gt 100000 changed "$WORK/menu.xwd" "$WORK/idle.xwd" $all_box
# The console's pause holds the fall; the keys still act.
xdotool key Tab
capture_until console 60 pixels_are -gt 1000 changed "$WORK/idle.xwd" "$WORK/console.xwd" $well_box
xdotool type --delay 60 pause
xdotool key Return Tab
capture_until closed 60 pixels_are -lt 30 changed "$WORK/idle.xwd" "$WORK/closed.xwd" $well_box
press space
settled() {
    frame_barrier $POINTER_BOX && capture_window still1 &&
        frame_barrier $POINTER_BOX && frame_barrier $POINTER_BOX && capture_window still2 &&
        pixels_are -eq 0 differing "$WORK/still1.xwd" "$WORK/still2.xwd" $well_box
}
keep_trying 120 settled || echo "the well never stood still"
press c
capture_until turned 60 pixels_are -gt 100 changed "$WORK/still2.xwd" "$WORK/turned.xwd" $well_box
expect "C, chosen in the last run, turned the shape" "$PIXELS" -gt 100
press x
for frame in 1 2 3; do frame_barrier $POINTER_BOX; done
capture_window after_x
expect "X no longer turns it" "$(window_pixels changed "$WORK/turned.xwd" "$WORK/after_x.xwd" $well_box)" -lt 30

# The fall again, hurried by keypad 5 held, until the prompt's buttons show.
xdotool key Tab
xdotool type --delay 60 pause
xdotool key Return Tab
xdotool keydown KP_5
capture_until over 300 pixels_are -gt 150 light "$WORK/over.xwd" 130 332 300 367
expect "the game ended with the prompt" "$PIXELS" -gt 150
xdotool keyup KP_5
park_pointer 262 350
click
capture_until asking 60 pixels_are -gt 100000 changed "$WORK/over.xwd" "$WORK/asking.xwd" $all_box
expect "No led on to the name" "$PIXELS" -gt 100000
xdotool key --delay 40 $(printf 'BackSpace %.0s' $(seq 20))
xdotool type --delay 80 Tester
frame_barrier $POINTER_BOX
press Return
back_and_quit Return
expect "the scores file holds the name" "$(grep -c ' Tester$' "$WORK/data/tubrix/scores.txt")" -eq 1

# --- third run: the table from the menu still holds the game
run_game
park_pointer 650 560
press F8
capture_until table 60 pixels_are -gt 100000 changed "$WORK/menu.xwd" "$WORK/table.xwd" $all_box
expect "F8 opened the table" "$PIXELS" -gt 100000
expect "the first line has a name after the restart" \
    "$(window_pixels light "$WORK/table.xwd" $first_name_box)" -gt 100
expect "the second line is empty" "$(window_pixels light "$WORK/table.xwd" 80 168 290 202)" -eq 0
back_and_quit Escape

[ "$FAILURES" -eq 0 ] || { echo "program output:"; cat "$WORK/out.txt"; }
[ "$FAILURES" -eq 0 ]
