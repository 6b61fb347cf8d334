#!/usr/bin/env bash
# Two copies of the game on one virtual display meet over the session: one
# types "startnet" and "host", the other "startnet" and "join localhost".
# Each console then gains lines below its own four (banner and two replies),
# which only the session's messages can add; the joiner's "quit" is heard by
# the host as one more; both end with status 0 on "quit". What the lines say
# is checked in-process; here the captures show they appear. Skips (77) where
# Xvfb, xdotool, xwd or python3 is missing, or the game's port is taken.
set -u
binary="$1"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../support/xvfb.sh"
require_x_tools
require_game_port

WORK="$(mktemp -d)"
HOST_PID=""
JOINER_PID=""
cleanup() {
    [ -n "$HOST_PID" ] && kill -9 "$HOST_PID" 2>/dev/null
    [ -n "$JOINER_PID" ] && kill -9 "$JOINER_PID" 2>/dev/null
    stop_xvfb
    rm -rf "$WORK"
}
trap cleanup EXIT
start_xvfb || { echo "the virtual X server did not start"; exit 1; }

# wait_for_line WINDOW N: polls until line N of that console holds text. Line
# n of an open console is a band 13 pixels high from the top; its top rows are
# left out, where the descenders of the line above reach. The window is
# focused first: a game draws frames only while it is active.
wait_for_line() {
    # shellcheck disable=SC2034 # what capture_window captures
    WINDOW="$1"
    PIXELS=""
    focus_window "$1"
    capture_until shot 60 pixels_are -gt 20 dark "$WORK/shot.xwd" 13 $(($2 * 13 + 4)) 700 $(($2 * 13 + 13))
}
# expect_line DESCRIPTION WINDOW N: wait_for_line, judged.
expect_line() {
    wait_for_line "$2" "$3"
    expect "$1" "$PIXELS" -gt 20
}
# type_line WINDOW TEXT: focuses the window and types TEXT and Enter.
type_line() {
    focus_window "$1"
    xdotool type --delay 40 "$2"
    xdotool key Return
}
# quit_game WINDOW PID: types "quit" there and waits up to 60 s for that
# program to end; its status is left in EXIT_STATUS.
quit_game() {
    type_line "$1" quit
    GAME_PID="$2"
    wait_for_exit 60 || EXIT_STATUS="none"
}

start_game "$binary" "$WORK/host.txt"
HOST_PID=$GAME_PID
HOST_WINDOW="$(wait_for_window Tubrix)"
[ -n "$HOST_WINDOW" ] || { echo "no host window"; cat "$WORK/host.txt"; exit 1; }
focus_window "$HOST_WINDOW"
xdotool key Tab
expect_line "host console opened with its banner" "$HOST_WINDOW" 1
type_line "$HOST_WINDOW" startnet
type_line "$HOST_WINDOW" host
expect_line "host console shows its two replies" "$HOST_WINDOW" 3

start_game "$binary" "$WORK/joiner.txt"
JOINER_PID=$GAME_PID
keep_trying 60 other_window "$HOST_WINDOW" ||
    { echo "no joiner window"; cat "$WORK/joiner.txt"; exit 1; }
JOINER_WINDOW=$OTHER_WINDOW
focus_window "$JOINER_WINDOW"
xdotool key Tab
expect_line "joiner console opened with its banner" "$JOINER_WINDOW" 1
type_line "$JOINER_WINDOW" startnet
type_line "$JOINER_WINDOW" "join localhost"

# Connect and hello on each side: lines 5 and 6 (counted from 1).
expect_line "joiner console gained the session's lines" "$JOINER_WINDOW" 5
expect_line "host console gained the session's lines" "$HOST_WINDOW" 5

quit_game "$JOINER_WINDOW" "$JOINER_PID"
[ "$EXIT_STATUS" = "none" ] || JOINER_PID=""
expect "joiner exit status" "$EXIT_STATUS" = 0
expect_line "host heard the joiner leave" "$HOST_WINDOW" 6

quit_game "$HOST_WINDOW" "$HOST_PID"
[ "$EXIT_STATUS" = "none" ] || HOST_PID=""
expect "host exit status" "$EXIT_STATUS" = 0

if [ "$FAILURES" -ne 0 ]; then
    echo "host output:"
    cat "$WORK/host.txt"
    echo "joiner output:"
    cat "$WORK/joiner.txt"
fi
[ "$FAILURES" -eq 0 ]
