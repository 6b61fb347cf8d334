#!/usr/bin/env bash
# Pong and the demos reached from the menu under a virtual X server with real
# key presses: F5 opens Pong, whose countdown animates above the resting
# ball, and Escape returns to the menu; F6 opens demo A, F2 demo B, holding
# Up drops balls, Escape returns to the menu and Escape there ends the
# process with status 0. Every check polls the window until its condition
# holds or 60 s have passed. Skips (77) where Xvfb, xdotool, xwd or python3
# is missing.
set -u
binary="$1"
source "$(dirname "$0")/../support/xvfb.sh"
require_x_tools

open_game_window "$binary"

all_box="0 0 713 653"
# Above the ball resting at the field's centre, where the digits shrink.
countdown_box="320 290 395 316"
# The menu draws the pointer, and Pong and demo B keep moving, so a change
# anywhere in the window shows that a frame ran.
press() { must "a frame drawn while pressing $1" press_key "$1" $all_box; }
# changed_since DESCRIPTION NAME OP LIMIT: captures the window as "now" until
# the count of pixels changed since NAME passes OP LIMIT, then judges it.
changed_since() {
    local description="$1" name="$2" op="$3" limit="$4"
    PIXELS=""
    capture_until now 60 pixels_are "$op" "$limit" changed "$WORK/$name.xwd" "$WORK/now.xwd" $all_box
    expect "$description" "$PIXELS" "$op" "$limit"
}

# The menu is mostly dark; it is the reference once nothing moves on it.
must "the menu's buttons showed" wait_for_menu menu
PIXELS=""
capture_until now 60 pixels_are -gt 100000 dark "$WORK/now.xwd" $all_box
expect "the menu is shown" "$PIXELS" -gt 100000
must "the menu stood still" wait_for_still menu $all_box

# The countdown lasts three seconds, less than comparing captures can take on
# a busy machine: a burst of captures as soon as F5 is let go, compared
# afterwards (the menu's frames in it are passed over).
xdotool keydown F5
must "a frame drawn while F5 was down" frame_barrier $all_box
xdotool keyup F5
for n in $(seq 40); do
    capture_window "burst$n"
done
changed_since "F5 opened Pong over the menu" menu -gt 100000
animated=0
previous=""
for n in $(seq 40); do
    pixels_are -gt 100000 changed "$WORK/menu.xwd" "$WORK/burst$n.xwd" $all_box || continue
    if [ -n "$previous" ] &&
        pixels_are -gt 30 changed "$WORK/$previous.xwd" "$WORK/burst$n.xwd" $countdown_box; then
        animated=1
        break
    fi
    previous="burst$n"
done
expect "the countdown animates above the resting ball" "$animated" -eq 1
press Escape
changed_since "Escape returned from Pong to the menu" menu -lt 2000

press F6
changed_since "F6 opened demo A" menu -gt 100000
capture_window demoa
# Demo A stands still between its fades and draws no pointer: its box, moved
# by Right while F2 is down, shows a frame ran with F2 down.
xdotool keydown F2 keydown Right
must "the box moved in demo A" \
    capture_until now 60 pixels_are -gt 0 differing "$WORK/demoa.xwd" "$WORK/now.xwd" $all_box
xdotool keyup Right keyup F2
changed_since "F2 opened demo B" demoa -gt 50000
capture_window demob
xdotool keydown Up
changed_since "holding Up drops balls" demob -gt 3000
xdotool keyup Up
press Escape
changed_since "Escape returned from demo B to the menu" menu -lt 2000

# The last press ends the program: no frame to wait for after the release.
xdotool keydown Escape
must "a frame drawn while Escape was down" frame_barrier $all_box
xdotool keyup Escape
must "the program ended within 60 s of Escape on the menu" wait_for_exit 60
expect "exit status" "$EXIT_STATUS" -eq 0
[ "$FAILURES" -eq 0 ] || { echo "program output:"; cat "$WORK/out.txt"; }
[ "$FAILURES" -eq 0 ]
