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

# Room for both windows (713 x 653) side by side: a capture of a window
# another overlaps is not the window's.
export XVFB_SCREEN=1480x700x24
open_display
PIDS=""
# The host's output is $WORK/out.txt, which `must` prints; the joiner's too.
trap 'echo "joiner output:"; cat "$WORK/joiner/out.txt" 2>/dev/null
      for pid in $PIDS; do kill -9 "$pid" 2>/dev/null; done; close_game_window' EXIT

all_box="0 0 713 653"
status_box="76 500 637 566"
my_well="70 132 334 612"
their_well="500 326 632 590"
result_box="61 240 341 420"
rest_box="645 610 700 653"

press() { must "a frame drawn while pressing $1" press_key "$1" $rest_box; }
# status_changed NAME SINCE WHAT: captures until the versus screen's network
# lines differ from capture SINCE; fails the script after 60 s.
status_changed() {
    must "$3" capture_until "$1" 60 pixels_are -gt 100 changed "$WORK/$2.xwd" "$WORK/$1.xwd" $status_box
}
# open_versus SIDE X OUTPUT: a copy started, its window (the one that is not
# HOST_WINDOW) at X and in WINDOW, focused with the pointer at rest once the
# menu shows (the loading picture comes before the game's pointer), and F7
# seen opening its versus screen, captured as SIDE_versus.
open_versus() {
    start_game "$binary" "$3"
    PIDS="$PIDS $GAME_PID"
    must "the $1's window opened" keep_trying 60 other_window "${HOST_WINDOW:-none}"
    WINDOW=$OTHER_WINDOW
    xdotool windowmove --sync "$WINDOW" "$2" 0
    must "the $1's menu showed" wait_for_menu "$1_menu"
    focus_window "$WINDOW"
    must "the pointer came to rest for the $1" keep_trying 60 pointer_at_rest 660 625 $rest_box
    press F7
    must "F7 opened the $1's versus screen" capture_until "$1_versus" 60 \
        pixels_are -gt 100000 changed "$WORK/$1_menu.xwd" "$WORK/$1_versus.xwd" $all_box
}

open_versus host 0 "$WORK/out.txt"
HOST_WINDOW=$WINDOW
press h
status_changed host_hosting host_versus "H made the host's screen say it hosts"
press Return

mkdir -p "$WORK/joiner"
open_versus joiner 760 "$WORK/joiner/out.txt"
JOINER_WINDOW=$WINDOW
press j
status_changed joiner_typing joiner_versus "J made the joiner's screen ask for a name"
xdotool type --delay 40 localhost
status_changed joiner_named joiner_typing "the typed name showed"
press Return
press Return
# Both wells on both screens move: each side's own, and the other's from its
# snapshots. The host's window is in the background all the while.
for side in joiner host; do
    [ "$side" = host ] && WINDOW="$HOST_WINDOW"
    must "the $side's match screen opened" capture_until ${side}_match 60 \
        pixels_are -gt 100000 changed "$WORK/${side}_versus.xwd" "$WORK/${side}_match.xwd" $all_box
    for part in my_well their_well; do
        # shellcheck disable=SC2086 # the rectangle is four words
        capture_until ${side}_$part 60 pixels_are -gt 50 changed "$WORK/${side}_match.xwd" \
            "$WORK/${side}_$part.xwd" ${!part}
        expect "$part changed on the $side's screen" "$PIXELS" -gt 50
    done
done

capture_window host_playing
python3 "$here/../support/close_window.py" "$JOINER_WINDOW"
# The result over the well, and the well still: the match is over. The
# host, at level 0 for seconds, cannot have lost it.
capture_until host_won 30 pixels_are -gt 5000 changed "$WORK/host_playing.xwd" \
    "$WORK/host_won.xwd" $result_box
expect "the host's screen showed the result" "$PIXELS" -gt 5000
wait_for_still host_over $my_well 30
expect "the host's well stood still (0: it did)" "$?" -eq 0
[ "$FAILURES" -eq 0 ] || { echo "host output:"; cat "$WORK/out.txt"; }
[ "$FAILURES" -eq 0 ]
