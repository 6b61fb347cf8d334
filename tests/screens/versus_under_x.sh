#!/usr/bin/env bash
# A match against the computer under a virtual X server with real input: a
# click on the menu's VERSUS button opens the versus screen, key 2 starts a
# match against the medium computer whose small well changes by itself, and
# with both wells held by the console's pause, keypad 4 moves the player's
# shape left. The match is heard: SDL's disk driver records the output, and
# much of what it wrote during the match is not silent. The player's well is
# then topped out by held drops, and Enter on the result starts a new match
# with an empty well; Escape returns to the menu, and Escape there ends the
# process with status 0. Skips (77) where Xvfb, xdotool, xwd or python3 is
# missing.
set -u
binary="$1"
source "$(dirname "$0")/../support/xvfb.sh"
require_x_tools

open_display
GAME_AUDIO_FILE="$WORK/audio.raw"
open_game_window "$binary"

all_box="0 0 713 653"
versus_button="50 376 206 424"
# The player's well below its danger line, and the computer's small well.
my_well="70 132 334 612"
# Its lower half, and rows high in it, clear of where a shape comes in.
my_well_floor="70 400 334 612"
my_well_high="70 200 334 260"
their_well="500 326 632 590"
# Where the pointer rests on every screen here, with nothing else moving.
rest_box="645 610 700 653"
barrier() { frame_barrier $rest_box; }
press() { must "a frame drawn while pressing $1" press_key "$1" $rest_box; }

must "the menu showed" wait_for_menu menu
on_versus_button() {
    pointer_to 120 400 &&
        capture_until hover 5 pixels_are -gt 100 changed "$WORK/menu.xwd" "$WORK/hover.xwd" $versus_button
}
must "the pointer lit the VERSUS button up" keep_trying 60 on_versus_button
xdotool mousedown 1
must "a frame drawn with the button down" frame_barrier 115 395 170 446
xdotool mouseup 1
capture_until versus 60 pixels_are -gt 100000 changed "$WORK/menu.xwd" "$WORK/versus.xwd" $all_box
expect "the versus screen replaced the menu" "$PIXELS" -gt 100000
must "the pointer came to rest" keep_trying 60 pointer_at_rest 660 625 $rest_box
must "a frame drawn with the pointer at rest" barrier
capture_window versus

press 2
capture_until match 60 pixels_are -gt 100000 changed "$WORK/versus.xwd" "$WORK/match.xwd" $all_box
expect "key 2 started a match" "$PIXELS" -gt 100000
match_audio=$(file_size "$GAME_AUDIO_FILE")
# The player's shape is in the well once it has fallen below the danger line.
capture_until start 60 pixels_are -gt 0 colour-x "$WORK/start.xwd" $my_well
expect "the player's shape is in the well" "$PIXELS" -gt 0

capture_until theirs 60 pixels_are -gt 50 changed "$WORK/start.xwd" "$WORK/theirs.xwd" $their_well
expect "the computer's well changed by itself" "$PIXELS" -gt 50

# The console's pause then holds both wells, so the player's shape stays
# where it is however slow the machine; the keys still steer. A key pressed
# while the console is open or sliding is the console's.
xdotool key Tab
capture_until console 60 pixels_are -gt 1000 changed "$WORK/theirs.xwd" "$WORK/console.xwd" $my_well
expect "Tab opened the console" "$PIXELS" -gt 1000
xdotool type --delay 60 pause
xdotool key Return
xdotool key Tab
must "the console closed" wait_for_still closed $my_well
x0=$(window_pixels colour-x "$WORK/closed.xwd" $my_well)
# A column is 22 px: two presses move the shape's cells 44 px.
press KP_4
press KP_4
capture_until left 60 pixels_are -lt $((x0 - 30)) colour-x "$WORK/left.xwd" $my_well
expect "keypad 4 moved the player's shape left" "$PIXELS" -lt $((x0 - 30))

# Two seconds of output (44100 frames of two 16-bit samples) since the match
# began, the tune and the moves' sounds in it.
audio_grew() { [ "$(file_size "$GAME_AUDIO_FILE")" -gt $((match_audio + 2 * 44100 * 4)) ]; }
must "the sound device wrote two seconds of the match" keep_trying 120 audio_grew
expect "percent of the match's samples that sound" "$(sounding_share "$GAME_AUDIO_FILE" "$match_audio")" -gt 20

# The console's pause off again; drops held until the stack stands high in
# the well (a landed shape there, the same in two captures in a row), then
# the last shapes fall on their own until the well tops out.
capture_window before_console
xdotool key Tab
capture_until console2 60 pixels_are -gt 1000 changed "$WORK/before_console.xwd" "$WORK/console2.xwd" $my_well
expect "Tab opened the console again" "$PIXELS" -gt 1000
xdotool type --delay 60 pause
xdotool key Return
xdotool key Tab
xdotool keydown Down
stack_high() {
    capture_window high1 && pixels_are -ge 0 colour-x "$WORK/high1.xwd" $my_well_high &&
        capture_window high2 && pixels_are -eq 0 differing "$WORK/high1.xwd" "$WORK/high2.xwd" $my_well_high
}
must "held drops stacked the well high" keep_trying 120 stack_high
xdotool keyup Down
# Enter does nothing while the match goes on; on the result it starts the
# next match, whose well is empty.
enter_played_again() {
    press Return
    capture_window again && pixels_are -eq -1 colour-x "$WORK/again.xwd" $my_well_floor
}
must "Enter on the result started a new match" keep_trying 180 enter_played_again

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
