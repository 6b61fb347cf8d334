#!/usr/bin/env bash
# A game and its replay under a virtual X server with real input. F4 starts a
# game and keypad 5, held, drops every shape until the well tops out; Escape
# on the prompt asks for a name, which is typed and entered. A click on the
# game's line in the score table plays its replay, and 4 sets x4. At its end
# the well is the game's last well, pixel for pixel (less the lines the
# replay writes over it). There Space pauses, Left seeks back 10 s to a well
# with fewer pieces, and Space goes on to the same end again. Skips (77)
# where Xvfb, xdotool, xwd or python3 is missing.
set -u
binary="$1"
source "$(dirname "$0")/../support/xvfb.sh"
require_x_tools

open_display
open_game_window "$binary"

all_box="0 0 713 653"
# Where the pointer rests, with nothing else moving there: during the game
# by the buttons, then on the score table's first line, over its date, which
# on the play screen is beside the well over the rows' number.
rest_box="645 610 700 653"
line_rest_box="640 130 705 185"
# The well, in two bands that leave out the replay's time bar and clock
# (y 530 to 575); its title is above the well.
well_upper="70 84 334 528"
well_lower="70 578 334 612"
# The prompt's buttons and the replay's title.
prompt_box="130 332 300 367"
title_box="70 56 334 82"
press() { must "a frame drawn while pressing $1" press_key "$1" $rest_box; }
# The pieces in the well, where the game-over picture leaves it open.
stack() {
    echo $(($(window_pixels coloured "$WORK/$1.xwd" 70 84 334 240) +
        $(window_pixels coloured "$WORK/$1.xwd" 70 400 334 528)))
}

must "the menu showed" wait_for_menu menu
must "the pointer came to rest" keep_trying 60 pointer_at_rest 660 625 $rest_box
capture_window menu
press F4
capture_until idle 60 pixels_are -gt 100000 changed "$WORK/menu.xwd" "$WORK/idle.xwd" $all_box
expect "F4 opened the play screen" "$PIXELS" -gt 100000

# The game: started, every shape dropped until the prompt shows.
press space
xdotool keydown KP_5
must "held drops topped the well out" capture_until over 300 pixels_are -gt 150 light "$WORK/over.xwd" $prompt_box
xdotool keyup KP_5
must "the well stood still after the game" wait_for_still game_end $all_box

# Escape on the prompt: the score table asks for a name.
press Escape
capture_until asking 60 pixels_are -gt 100000 changed "$WORK/game_end.xwd" "$WORK/asking.xwd" $all_box
expect "Escape on the prompt asked for a name" "$PIXELS" -gt 100000
xdotool type --delay 80 Replayer
must "a frame drawn after the name" frame_barrier $rest_box
press Return
scores=$WORK/data/tubrix/scores.txt
expect "the scores file holds the name" "$(grep -c '^place\.1 .* Replayer$' "$scores")" -eq 1
replay=$(sed -n 's/^replay\.1 //p' "$scores")
expect "the game's replay was kept" "$(find "$WORK/data/tubrix/replays" -name "$replay" | wc -l)" -eq 1

# The game's line clicked: its replay plays, and 4 sets x4 (the title says
# so). Both are seen on small boxes, quickly: the replay runs meanwhile.
must "the pointer came to rest on the first line" keep_trying 60 pointer_at_rest 660 145 $line_rest_box
capture_window table
xdotool mousedown 1
must "a frame drawn with the button down" frame_barrier $line_rest_box
xdotool mouseup 1
capture_until watching 60 pixels_are -gt 1000 differing "$WORK/table.xwd" "$WORK/watching.xwd" $title_box
expect "the click on the line played its replay" "$PIXELS" -gt 1000
press_x4() {
    capture_window x1 && press_key 4 $line_rest_box && capture_window x4 &&
        pixels_are -gt 0 differing "$WORK/x1.xwd" "$WORK/x4.xwd" $title_box
}
must "4 changed the speed in the title" keep_trying 60 press_x4
replay_over() {
    must "the replay reached the game's end" \
        capture_until "$1.over" 300 pixels_are -gt 150 light "$WORK/$1.over.xwd" $prompt_box
    must "the well stood still at the replay's end" wait_for_still "$1" $all_box
    expect "$2" "$(($(window_pixels differing "$WORK/game_end.xwd" "$WORK/$1.xwd" $well_upper) +
        $(window_pixels differing "$WORK/game_end.xwd" "$WORK/$1.xwd" $well_lower)))" -eq 0
}
replay_over replay_end "pixels of the well that differ between the game's end and the replay's"

# Paused at the end, Left goes back 10 s, to a well with fewer pieces; Space
# goes on, to the same end again.
pause_shown() {
    press_key space $line_rest_box && capture_window paused &&
        pixels_are -gt 0 differing "$WORK/replay_end.xwd" "$WORK/paused.xwd" $title_box
}
must "Space paused the replay (the title says so)" keep_trying 60 pause_shown
# Each key is given again if the window missed it (rarely, on a busy
# machine): what it does shows at once.
seek_back() {
    press_key Left $line_rest_box && capture_window back &&
        pixels_are -gt 0 differing "$WORK/paused.xwd" "$WORK/back.xwd" $well_upper
}
must "Left changed the well" keep_trying 60 seek_back
expect "Left showed an earlier well, with fewer pieces than $(stack paused)" "$(stack back)" -lt "$(stack paused)"
go_on() {
    press_key space $line_rest_box && capture_window going &&
        pixels_are -gt 0 differing "$WORK/back.xwd" "$WORK/going.xwd" $title_box
}
must "Space went on (the title says so)" keep_trying 60 go_on
replay_over again "pixels of the well that differ between the game's end and the replay's after the seek"

[ "$FAILURES" -eq 0 ] || { echo "program output:"; cat "$WORK/out.txt"; }
[ "$FAILURES" -eq 0 ]
