#!/usr/bin/env bash
# Starts the game under a virtual X server from the repository root, checks
# its window (title "Tubrix", client area 713 x 653), then sends SIGTERM and
# expects a clean exit with status 0 within two seconds. Skips (77) where
# Xvfb or xdotool is missing.
set -u
binary="$1"
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || exit 77

source "$(dirname "$0")/../support/xvfb.sh"
open_game_window "$binary"
geometry=$(xdotool getwindowgeometry --shell "$WINDOW")
eval "$geometry"
if [ "$WIDTH" != 713 ] || [ "$HEIGHT" != 653 ]; then
    echo "client area is ${WIDTH} x ${HEIGHT}, not 713 x 653"
    exit 1
fi

sleep 0.5  # let it run frames
start=$(date +%s%N)
kill -TERM $GAME_PID
status=""
for _ in $(seq 40); do
    if ! kill -0 $GAME_PID 2>/dev/null; then
        wait $GAME_PID
        status=$?
        break
    fi
    sleep 0.05
done
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
if [ -z "$status" ]; then
    echo "still running 2 s after SIGTERM"
    exit 1
fi
echo "window ${WIDTH} x ${HEIGHT}; SIGTERM -> exit status $status after ${elapsed} ms"
GAME_PID=""
[ "$status" -eq 0 ] || { cat "$WORK/out.txt"; exit 1; }
