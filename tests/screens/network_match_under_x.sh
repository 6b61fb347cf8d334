#!/usr/bin/env bash
# Two copies of the game, side by side on one virtual display, play a match
# over the network from the versus screen with real keys: the host presses
# F7, H and Enter (ready for whoever joins); the joiner F7, J, types
# "localhost", Enter to connect and Enter to be ready. Both match screens then
# show both wells changing, the host's while its window is in the
# background. The joiner's window is closed as a window manager closes it,
# and the host's match screen shows the win. How each program exits is the
# window and missing-picture tests' concern. Skips (77) where Xvfb, xdotool,
# xwd or python3 is missing, or the game's port is taken.
set -u
binary="$1"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../support/xvfb.sh"
require_x_tools
require_game_port

export XVFB_SCREEN=$VERSUS_SCREEN
open_display
# The host's output is $WORK/out.txt, which `must` prints; the joiner's too.
trap 'echo "joiner output:"; cat "$WORK/joiner/out.txt" 2>/dev/null
      for pid in ${COPY_PIDS:-}; do kill -9 "$pid" 2>/dev/null; done; close_game_window' EXIT

open_versus "$binary" host 0 "$WORK/out.txt"
FIRST_WINDOW=$WINDOW
versus_press h
versus_status_changed host_hosting host_versus "H made the host's screen say it hosts"
versus_press Return

mkdir -p "$WORK/joiner"
open_versus "$binary" joiner 760 "$WORK/joiner/out.txt"
JOINER_WINDOW=$WINDOW
versus_press j
versus_status_changed joiner_typing joiner_versus "J made the joiner's screen ask for a name"
xdotool type --delay 40 localhost
versus_status_changed joiner_named joiner_typing "the typed name showed"
versus_press Return
versus_press Return
# Both wells on both screens move. The host's window is in the background
# all the while.
match_wells_moving joiner
WINDOW=$FIRST_WINDOW
match_wells_moving host

capture_window host_playing
python3 "$here/../support/close_window.py" "$JOINER_WINDOW"
# The result over the well, and the well still: the match is over. The
# host, at level 0 for seconds, cannot have lost it.
capture_until host_won 30 pixels_are -gt 5000 changed "$WORK/host_playing.xwd" \
    "$WORK/host_won.xwd" $VERSUS_RESULT_BOX
expect "the host's screen showed the result" "$PIXELS" -gt 5000
wait_for_still host_over $VERSUS_MY_WELL 30
expect "the host's well stood still (0: it did)" "$?" -eq 0
[ "$FAILURES" -eq 0 ] || { echo "host output:"; cat "$WORK/out.txt"; }
[ "$FAILURES" -eq 0 ]
