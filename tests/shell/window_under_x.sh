#!/usr/bin/env bash
# Starts the game under a virtual X server from the repository root, checks
# its window (title "Tubrix", client area 713 x 653), waits for the menu,
# then sends SIGTERM and expects a clean exit with status 0. Skips (77) where
# Xvfb, xdotool, xwd or python3 is missing.
set -u
binary="$1"
for tool in Xvfb xdotool xwd python3; do
    command -v "$tool" >/dev/null || exit 77
done

source "$(dirname "$0")/../support/xvfb.sh"
open_game_window "$binary"
WIDTH="" HEIGHT=""
eval "$(xdotool getwindowgeometry --shell "$WINDOW" | grep -E '^(WIDTH|HEIGHT)=[0-9]+$')"
if [ "$WIDTH" != 713 ] || [ "$HEIGHT" != 653 ]; then
    echo "client area is ${WIDTH} x ${HEIGHT}, not 713 x 653"
    exit 1
fi

# In its frame loop: the menu is drawn.
wait_for_menu menu || { echo "the menu never showed"; exit 1; }
start=$(date +%s%N)
kill -TERM "$GAME_PID"
if ! wait_for_exit 60; then
    echo "still running 60 s after SIGTERM"
    exit 1
fi
elapsed=$((($(date +%s%N) - start) / 1000000))
echo "window ${WIDTH} x ${HEIGHT}; SIGTERM -> exit status $EXIT_STATUS after ${elapsed} ms"
[ "$EXIT_STATUS" -eq 0 ] || { cat "$WORK/out.txt"; exit 1; }
