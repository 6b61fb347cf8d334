#!/usr/bin/env bash
# Starts the game under a virtual X server from the repository root, checks
# its window (title "Tubrix", client area 713 x 653), then sends SIGTERM and
# expects a clean exit with status 0 within two seconds. Skips (77) where
# Xvfb or xdotool is missing.
set -u
binary="$1"
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || exit 77

source "$(dirname "$0")/../support/xvfb.sh"
trap 'stop_xvfb; rm -f "${TMPDIR:-/tmp}/tubrix-x-$$.err"' EXIT
start_xvfb || { echo "the virtual X server did not start"; exit 1; }

start_game "$binary" "${TMPDIR:-/tmp}/tubrix-x-$$.err"
game=$GAME_PID

window="$(wait_for_window Tubrix)"
if [ -z "$window" ]; then
    echo "no window titled Tubrix appeared"
    kill -9 $game 2>/dev/null
    exit 1
fi
geometry=$(xdotool getwindowgeometry --shell "$window")
eval "$geometry"
if [ "$WIDTH" != 713 ] || [ "$HEIGHT" != 653 ]; then
    echo "client area is ${WIDTH} x ${HEIGHT}, not 713 x 653"
    kill -9 $game 2>/dev/null
    exit 1
fi

sleep 0.5  # let it run frames
start=$(date +%s%N)
kill -TERM $game
status=""
for _ in $(seq 40); do
    if ! kill -0 $game 2>/dev/null; then
        wait $game
        status=$?
        break
    fi
    sleep 0.05
done
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
if [ -z "$status" ]; then
    echo "still running 2 s after SIGTERM"
    kill -9 $game 2>/dev/null
    exit 1
fi
echo "window ${WIDTH} x ${HEIGHT}; SIGTERM -> exit status $status after ${elapsed} ms"
[ "$status" -eq 0 ] || { cat "${TMPDIR:-/tmp}/tubrix-x-$$.err"; exit 1; }
