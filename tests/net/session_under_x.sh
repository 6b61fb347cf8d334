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
pixels="$here/../support/window_pixels.py"
for tool in Xvfb xdotool xwd python3; do
    command -v "$tool" >/dev/null || exit 77
done
# The game always uses its one port; something else holding it is no fault of ours.
python3 -c 'import socket; socket.socket(socket.AF_INET, socket.SOCK_DGRAM).bind(("", 27420))' \
    2>/dev/null || { echo "UDP port 27420 is taken"; exit 77; }

source "$here/../support/xvfb.sh"
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

failures=0
fail() {
    echo "FAILED: $1"
    failures=$((failures + 1))
}
# Line n of an open console is a band 13 pixels high from the top; its top
# rows are left out, where the descenders of the line above reach.
dark_in_line() {
    xwd -silent -id "$1" >"$WORK/shot.xwd" 2>/dev/null || { echo 0; return; }
    python3 "$pixels" dark "$WORK/shot.xwd" 13 $(($2 * 13 + 4)) 700 $(($2 * 13 + 13))
}
# wait_for_line WINDOW N: polls until line N of that console holds text. The
# window is focused first: a game draws frames only while it is active.
wait_for_line() {
    focus "$1"
    for _ in $(seq 300); do
        [ "$(dark_in_line "$1" "$2")" -gt 20 ] && return 0
        sleep 0.1
    done
    return 1
}
focus() {
    xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1" 2>/dev/null
}
# type_line WINDOW TEXT: focuses the window and types TEXT and Enter.
type_line() {
    focus "$1"
    xdotool type --delay 40 "$2"
    xdotool key Return
}
# wait_for_exit PID: sets status to the exit status, or to "none" after 30 s.
wait_for_exit() {
    status="none"
    for _ in $(seq 300); do
        if ! kill -0 "$1" 2>/dev/null; then
            wait "$1"
            status=$?
            return
        fi
        sleep 0.1
    done
}

start_game "$binary" "$WORK/host.txt"
HOST_PID=$GAME_PID
HOST_WINDOW="$(wait_for_window Tubrix)"
[ -n "$HOST_WINDOW" ] || { echo "no host window"; cat "$WORK/host.txt"; exit 1; }
focus "$HOST_WINDOW"
xdotool key Tab
wait_for_line "$HOST_WINDOW" 1 || fail "host console opened with its banner"
type_line "$HOST_WINDOW" startnet
type_line "$HOST_WINDOW" host
wait_for_line "$HOST_WINDOW" 3 || fail "host console shows its two replies"

start_game "$binary" "$WORK/joiner.txt"
JOINER_PID=$GAME_PID
JOINER_WINDOW=""
for _ in $(seq 300); do
    JOINER_WINDOW="$(xdotool search --name '^Tubrix$' 2>/dev/null | grep -vx "$HOST_WINDOW" | head -n1)"
    [ -n "$JOINER_WINDOW" ] && break
    sleep 0.1
done
[ -n "$JOINER_WINDOW" ] || { echo "no joiner window"; cat "$WORK/joiner.txt"; exit 1; }
focus "$JOINER_WINDOW"
xdotool key Tab
wait_for_line "$JOINER_WINDOW" 1 || fail "joiner console opened with its banner"
type_line "$JOINER_WINDOW" startnet
type_line "$JOINER_WINDOW" "join localhost"

# Connect and hello on each side: lines 5 and 6 (counted from 1).
wait_for_line "$JOINER_WINDOW" 5 && echo "ok: joiner console gained the session's lines" ||
    fail "joiner console gained the session's lines"
wait_for_line "$HOST_WINDOW" 5 && echo "ok: host console gained the session's lines" ||
    fail "host console gained the session's lines"

type_line "$JOINER_WINDOW" quit
wait_for_exit "$JOINER_PID"
JOINER_PID=""
[ "$status" = "0" ] && echo "ok: joiner exit status 0" || fail "joiner exit status ($status)"
wait_for_line "$HOST_WINDOW" 6 && echo "ok: host heard the joiner leave" ||
    fail "host heard the joiner leave"

type_line "$HOST_WINDOW" quit
wait_for_exit "$HOST_PID"
HOST_PID=""
[ "$status" = "0" ] && echo "ok: host exit status 0" || fail "host exit status ($status)"

if [ "$failures" -ne 0 ]; then
    echo "host output:"
    cat "$WORK/host.txt"
    echo "joiner output:"
    cat "$WORK/joiner.txt"
fi
[ "$failures" -eq 0 ]
