#!/usr/bin/env bash
# Two copies of the game, side by side on one virtual display, play a match
# over the network from the versus screen with real keys: the host presses
# F7, H and Enter (ready for whoever joins); the joiner F7, J, types
# "localhost", Enter to connect and Enter to be ready. Both match screens then
# show both wells changing, the host's while its window is in the
# background. The joiner's window is closed as a window manager closes it,
# and the host's match screen shows the win. Skips (77) where Xvfb, xdotool,
# xwd or python3 is missing, or the game's port is taken.
set -u
binary="$1"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../support/xvfb.sh"
require_x_tools
python3 -c 'import socket; socket.socket(socket.AF_INET, socket.SOCK_DGRAM).bind(("", 27420))' \
    2>/dev/null || { echo "UDP port 27420 is taken"; exit 77; }

# Room for both windows (713 x 653) side by side.
export XVFB_SCREEN=1480x700x24
open_display
HOST_PID=""
JOINER_PID=""
# The host's output is $WORK/out.txt, which `must` prints; the joiner's too.
trap 'echo "joiner output:"; cat "$WORK/joiner/out.txt" 2>/dev/null
      for pid in $HOST_PID $JOINER_PID; do kill -9 "$pid" 2>/dev/null; done; close_game_window' EXIT

all_box="0 0 713 653"
status_box="76 500 637 566"
my_well="70 132 334 612"
their_well="500 326 632 590"
result_box="61 240 341 420"
rest_box="645 610 700 653"

# use_window ID: that window focused and the game's pointer at rest in it,
# so that frame_barrier (and so press) can tell a frame ran there.
use_window() {
    WINDOW="$1"
    focus_window "$1"
    must "the pointer came to rest in window $1" keep_trying 60 pointer_at_rest 660 625 $rest_box
}
press() { must "a frame drawn while pressing $1" press_key "$1" $rest_box; }
# status_changed NAME SINCE: captures until the versus screen's network lines
# differ from capture SINCE; fails the script after 60 s.
status_changed() {
    must "$3" capture_until "$1" 60 pixels_are -gt 100 changed "$WORK/$2.xwd" "$WORK/$1.xwd" $status_box
}

start_game "$binary" "$WORK/out.txt"
HOST_PID=$GAME_PID
HOST_WINDOW="$(wait_for_window Tubrix)"
[ -n "$HOST_WINDOW" ] || { echo "no host window"; exit 1; }
# Side by side: a capture of a window another overlaps is not the window's.
xdotool windowmove --sync "$HOST_WINDOW" 0 0
# The pointer is put at rest once the menu shows: the loading picture comes
# before the game's pointer does.
WINDOW="$HOST_WINDOW"
must "the host's menu showed" wait_for_menu host_menu
use_window "$HOST_WINDOW"
press F7
must "F7 opened the host's versus screen" capture_until host_versus 60 \
    pixels_are -gt 100000 changed "$WORK/host_menu.xwd" "$WORK/host_versus.xwd" $all_box
press h
status_changed host_hosting host_versus "H made the host's screen say it hosts"
press Return
status_changed host_ready host_hosting "Enter made the host ready for a player"

mkdir -p "$WORK/joiner"
start_game "$binary" "$WORK/joiner/out.txt"
JOINER_PID=$GAME_PID
must "the joiner's window opened" keep_trying 60 other_window "$HOST_WINDOW"
JOINER_WINDOW=$OTHER_WINDOW
xdotool windowmove --sync "$JOINER_WINDOW" 760 0
WINDOW="$JOINER_WINDOW"
must "the joiner's menu showed" wait_for_menu joiner_menu
use_window "$JOINER_WINDOW"
press F7
must "F7 opened the joiner's versus screen" capture_until joiner_versus 60 \
    pixels_are -gt 100000 changed "$WORK/joiner_menu.xwd" "$WORK/joiner_versus.xwd" $all_box
press j
status_changed joiner_typing joiner_versus "J made the joiner's screen ask for a name"
xdotool type --delay 40 localhost
status_changed joiner_named joiner_typing "the typed name showed"
press Return
status_changed joiner_going joiner_named "Enter made the joiner's screen say it connects"
press Return
for side in joiner host; do
    [ "$side" = host ] && WINDOW="$HOST_WINDOW"
    must "the $side's match screen opened" capture_until ${side}_match 60 \
        pixels_are -gt 100000 changed "$WORK/${side}_versus.xwd" "$WORK/${side}_match.xwd" $all_box
done
# Both wells on both screens move: each side's own, and the other's from its
# snapshots. The host's window is in the background all the while.
for side in host joiner; do
    [ "$side" = host ] && WINDOW="$HOST_WINDOW" || WINDOW="$JOINER_WINDOW"
    capture_until ${side}_mine 60 pixels_are -gt 50 changed "$WORK/${side}_match.xwd" \
        "$WORK/${side}_mine.xwd" $my_well
    expect "the $side's own well changed" "$PIXELS" -gt 50
    capture_until ${side}_theirs 60 pixels_are -gt 50 changed "$WORK/${side}_match.xwd" \
        "$WORK/${side}_theirs.xwd" $their_well
    expect "the other's well changed on the $side's screen" "$PIXELS" -gt 50
done

WINDOW="$HOST_WINDOW"
capture_window host_playing
python3 "$here/../support/close_window.py" "$JOINER_WINDOW"
GAME_PID=$JOINER_PID
if wait_for_exit 60; then
    JOINER_PID=""
    expect "the joiner's exit status after its window closed" "$EXIT_STATUS" -eq 0
else
    echo "FAILED: the joiner still ran 60 s after its window was closed"
    FAILURES=$((FAILURES + 1))
fi
# The result over the well, and the well still: the match is over. The
# host, at level 0 for seconds, cannot have lost it.
capture_until host_won 30 pixels_are -gt 5000 changed "$WORK/host_playing.xwd" \
    "$WORK/host_won.xwd" $result_box
expect "the host's screen showed the result" "$PIXELS" -gt 5000
if wait_for_still host_over $my_well 30; then
    echo "ok: the host's match ended"
else
    echo "FAILED: the host's well still moved"
    FAILURES=$((FAILURES + 1))
fi

kill -TERM "$HOST_PID"
GAME_PID=$HOST_PID
if wait_for_exit 60; then
    HOST_PID=""
    expect "the host's exit status after SIGTERM" "$EXIT_STATUS" -eq 0
else
    echo "FAILED: the host still ran 60 s after SIGTERM"
    FAILURES=$((FAILURES + 1))
fi
[ "$FAILURES" -eq 0 ] || { echo "host output:"; cat "$WORK/out.txt"; }
[ "$FAILURES" -eq 0 ]
