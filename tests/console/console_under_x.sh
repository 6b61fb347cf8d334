#!/usr/bin/env bash
# Drives the started game under a virtual X server with real key presses:
# TAB opens the console with its two banner lines, "fps" and Enter echoes a
# line and shows the frame-rate read-out, "say hi" echoes a line, and "quit"
# ends the process with status 0. The read-out is light on target and red
# off it; a loaded machine may miss the target, so which is told, not
# asserted. What each line says is checked in-process; here the window's
# pixels show that the lines and the read-out appear where they belong.
# Skips (77) where Xvfb, xdotool, xwd or python3 is missing.
set -u
binary="$1"
source "$(dirname "$0")/../support/xvfb.sh"
require_x_tools

open_game_window "$binary"

# Row bands of the open console's lines: 13 pixels each from the top. An
# empty line's band is checked without its top rows, where the descenders of
# the line above reach.
band() { echo "13 $(($1 * 13)) 700 $(($1 * 13 + 13))"; }
empty_band() { echo "13 $(($1 * 13 + 4)) 700 $(($1 * 13 + 13))"; }
input_bar="13 522 200 537"
readout_box="4 555 200 600"

wait_for_menu closed || { echo "the menu never showed"; exit 1; }
xdotool key Tab
# Fully slid down: the input bar's lowest rows are drawn only at the end.
capture_until open 60 pixels_are -gt 1000 changed "$WORK/closed.xwd" "$WORK/open.xwd" 0 530 713 537
# The menu below is dark, but the backdrop lightens it: only text is near black.
expect "banner line 1 drawn" "$(window_pixels dark "$WORK/open.xwd" $(band 0))" -gt 20
expect "banner line 2 drawn" "$(window_pixels dark "$WORK/open.xwd" $(band 1))" -gt 20
expect "no third line yet" "$(window_pixels dark "$WORK/open.xwd" $(empty_band 2))" -eq 0

xdotool type --delay 50 fps
capture_until typed 60 pixels_are -gt 10 new-bright "$WORK/open.xwd" "$WORK/typed.xwd" $input_bar
expect "typed text in the input bar" "$PIXELS" -gt 10

xdotool key Return
fps_shown() {
    pixels_are -gt 20 new-dark "$WORK/open.xwd" "$WORK/fps.xwd" $(band 2) &&
        pixels_are -eq 0 new-bright "$WORK/open.xwd" "$WORK/fps.xwd" $input_bar &&
        pixels_are -gt 20 changed "$WORK/open.xwd" "$WORK/fps.xwd" $readout_box
}
capture_until fps 60 fps_shown
expect "echo line drawn" "$(window_pixels new-dark "$WORK/open.xwd" "$WORK/fps.xwd" $(band 2))" -gt 20
expect "input bar emptied" "$(window_pixels new-bright "$WORK/open.xwd" "$WORK/fps.xwd" $input_bar)" -eq 0
expect "read-out drawn" "$(window_pixels changed "$WORK/open.xwd" "$WORK/fps.xwd" $readout_box)" -gt 20
if [ "$(window_pixels red "$WORK/fps.xwd" $readout_box)" -gt 20 ]; then
    echo "read-out red: this capture did not read the target 75"
else
    echo "read-out light: it read the target 75"
fi

xdotool type --delay 50 "say hi"
xdotool key Return
capture_until said 60 pixels_are -gt 20 new-dark "$WORK/fps.xwd" "$WORK/said.xwd" $(band 3)
expect "reply line drawn" "$PIXELS" -gt 20
expect "nothing below it" "$(window_pixels new-dark "$WORK/fps.xwd" "$WORK/said.xwd" $(empty_band 4))" -eq 0

xdotool type --delay 50 quit
xdotool key Return
if wait_for_exit 60; then
    expect "exit status after quit" "$EXIT_STATUS" -eq 0
else
    echo "FAILED: still running 60 s after quit"
    FAILURES=$((FAILURES + 1))
fi
[ "$FAILURES" -eq 0 ] || { echo "program output:"; cat "$WORK/out.txt"; }
[ "$FAILURES" -eq 0 ]
