#!/usr/bin/env bash
# Two players on one keyboard under a virtual X server with real key presses:
# F7 opens the versus screen and T starts a match between two players, both
# wells side by side. With both wells held by the console's pause, each
# player's keys move and turn their own shape and leave the other's well as
# it was, one player at a time and both at once. Then player 1's held drops
# top out player 1's well: the result shows over both wells, and Enter (YES)
# starts a new match with both wells empty. Escape returns to the menu, and
# Escape there ends the process with status 0. Skips (77) where Xvfb,
# xdotool, xwd or python3 is missing.
set -u
binary="$1"
source "$(dirname "$0")/../support/xvfb.sh"
require_x_tools

# Each player's keys, as the settings bind them by default (xdotool names).
P1_LEFT=Left P1_TURN=x P1_DROP=Down
P2_RIGHT=d P2_TURN=w

open_display
open_game_window "$binary"

all_box="0 0 713 653"
# Each well below its danger line, its lower half, and where the result
# picture lies over it.
well1="32 108 272 546"
well2="441 108 681 546"
floor1="32 330 272 546"
floor2="441 330 681 546"
result1="40 250 264 330"
result2="449 250 673 330"
# Where the pointer rests on every screen here, with nothing else moving.
rest_box="645 610 700 653"
barrier() { frame_barrier $rest_box; }
press() { must "a frame drawn while pressing $1" press_key "$1" $rest_box; }
# Both keys down in one frame, up together in a later one.
press_both() {
    xdotool keydown "$1" keydown "$2"
    must "a frame drawn while pressing $1 and $2" barrier
    xdotool keyup "$1" keyup "$2"
    must "a frame drawn after $1 and $2" barrier
    must "a frame drawn after $1 and $2" barrier
}
# Pixels that differ at all in a well between two captures.
differing_in() { window_pixels differing "$WORK/$1.xwd" "$WORK/$2.xwd" $3 $4 $5 $6; }
# The console's pause switched by typing "pause" into it, opened and shut by
# Tab. The console slides down over player 1's name, which nothing else
# changes here: it is open once that differs from BEFORE (a capture from
# before it opened) and shut once it is as in BEFORE again. A Tab the window
# missed (rarely, on a busy machine) is given again once the console has had
# ample time to slide.
name_box="8 4 150 30"
console_open() { capture_window console && pixels_are -gt 300 changed "$WORK/$1.xwd" "$WORK/console.xwd" $name_box; }
console_shut() { capture_window shut && pixels_are -eq 0 differing "$WORK/$1.xwd" "$WORK/shut.xwd" $name_box; }
tab_until() {
    local try
    for try in 1 2 3; do
        xdotool key Tab
        keep_trying 30 "$@" && return 0
    done
    return 1
}
console_pause() {
    capture_window "$1"
    must "Tab opened the console" tab_until console_open "$1"
    xdotool type --delay 60 pause
    xdotool key Return
    must "Tab shut the console" tab_until console_shut "$1"
}

must "the menu showed" wait_for_menu menu
must "the pointer came to rest" keep_trying 60 pointer_at_rest 660 625 $rest_box
must "a frame drawn with the pointer at rest" barrier
capture_window menu
press F7
capture_until versus 60 pixels_are -gt 100000 changed "$WORK/menu.xwd" "$WORK/versus.xwd" $all_box
expect "F7 opened the versus screen" "$PIXELS" -gt 100000

press t
capture_until match 60 pixels_are -gt 100000 changed "$WORK/versus.xwd" "$WORK/match.xwd" $all_box
expect "T started a match between two players" "$PIXELS" -gt 100000
# Each player's shape is in its well once it has fallen below the danger line.
capture_until start 60 pixels_are -gt 0 colour-x "$WORK/start.xwd" $well1
expect "player 1's shape is in the left well" "$PIXELS" -gt 0
capture_until start 60 pixels_are -gt 0 colour-x "$WORK/start.xwd" $well2
expect "player 2's shape is in the right well" "$PIXELS" -gt 0

# The console's pause then holds both wells, so each shape stays where it
# is however slow the machine; the keys still steer.
console_pause before_pause
must "both wells stood still" wait_for_still held $all_box
x1=$(window_pixels colour-x "$WORK/held.xwd" $well1)
x2=$(window_pixels colour-x "$WORK/held.xwd" $well2)

# A column is 20 px: two moves shift a shape's cells 40 px.
press "$P1_LEFT"
press "$P1_LEFT"
capture_until left1 60 pixels_are -lt $((x1 - 30)) colour-x "$WORK/left1.xwd" $well1
expect "player 1's keys moved the left shape left" "$PIXELS" -lt $((x1 - 30))
expect "pixels of the right well they changed" "$(differing_in held left1 $well2)" -eq 0
press "$P2_RIGHT"
press "$P2_RIGHT"
capture_until right2 60 pixels_are -gt $((x2 + 30)) colour-x "$WORK/right2.xwd" $well2
expect "player 2's keys moved the right shape right" "$PIXELS" -gt $((x2 + 30))
expect "pixels of the left well they changed" "$(differing_in left1 right2 $well1)" -eq 0

press "$P1_TURN"
capture_until turn1 60 pixels_are -gt 50 changed "$WORK/right2.xwd" "$WORK/turn1.xwd" $well1
expect "player 1's turn changed the left well" "$PIXELS" -gt 50
expect "pixels of the right well it changed" "$(differing_in right2 turn1 $well2)" -eq 0
press "$P2_TURN"
capture_until turn2 60 pixels_are -gt 50 changed "$WORK/turn1.xwd" "$WORK/turn2.xwd" $well2
expect "player 2's turn changed the right well" "$PIXELS" -gt 50
expect "pixels of the left well it changed" "$(differing_in turn1 turn2 $well1)" -eq 0

# Both players at once: each shape goes its own way.
x1=$(window_pixels colour-x "$WORK/turn2.xwd" $well1)
x2=$(window_pixels colour-x "$WORK/turn2.xwd" $well2)
press_both "$P1_LEFT" "$P2_RIGHT"
press_both "$P1_LEFT" "$P2_RIGHT"
capture_until both 60 pixels_are -lt $((x1 - 30)) colour-x "$WORK/both.xwd" $well1
expect "held together, player 1's keys moved the left shape left" "$PIXELS" -lt $((x1 - 30))
expect "held together, player 2's keys moved the right shape right" \
    "$(window_pixels colour-x "$WORK/both.xwd" $well2)" -gt $((x2 + 30))

# The console's pause off again; player 1's drops held until the result
# shows over both wells: player 1's well topped out.
console_pause before_unpause
xdotool keydown "$P1_DROP"
results_shown() {
    capture_window result && pixels_are -gt 0 colour-x "$WORK/result.xwd" $floor1 &&
        pixels_are -gt 300 light "$WORK/result.xwd" $result1 &&
        pixels_are -gt 300 light "$WORK/result.xwd" $result2
}
must "held drops stacked player 1's well to a result over both wells" keep_trying 240 results_shown
xdotool keyup "$P1_DROP"

# Enter (YES) on the result starts the next match, both wells empty.
enter_played_again() {
    press Return
    capture_window again && pixels_are -eq -1 colour-x "$WORK/again.xwd" $floor1 &&
        pixels_are -eq -1 colour-x "$WORK/again.xwd" $floor2 &&
        pixels_are -lt 300 light "$WORK/again.xwd" $result2
}
must "Enter on the result started a new match" keep_trying 120 enter_played_again
capture_until again_falls 60 pixels_are -gt 0 colour-x "$WORK/again_falls.xwd" $well2
expect "the new match's right well has its shape" "$PIXELS" -gt 0

press Escape
capture_until menu2 60 pixels_are -lt 2000 changed "$WORK/menu.xwd" "$WORK/menu2.xwd" $all_box
expect "Escape returned to the menu" "$PIXELS" -lt 2000
# The release ends the program: no frame to wait for after it.
xdotool keydown Escape
must "a frame drawn while Escape was down" barrier
xdotool keyup Escape
if wait_for_exit 60; then
    expect "exit status after Escape" "$EXIT_STATUS" -eq 0
else
    echo "FAILED: still running 60 s after Escape on the menu"
    FAILURES=$((FAILURES + 1))
fi
[ "$FAILURES" -eq 0 ] || { echo "program output:"; cat "$WORK/out.txt"; }
[ "$FAILURES" -eq 0 ]
