#!/usr/bin/env bash
# Starts the game under a virtual X server from the repository root, checks
# its window (title "Tubrix", client area 713 x 653), waits for the menu,
# making no other top-level window and destroying none on the way, then sends
# SIGTERM and expects a clean exit with status 0. Skips (77) where
# Xvfb, xdotool, xwd or python3 is missing.
set -u
binary="$1"
source "$(dirname "$0")/../support/xvfb.sh"
require_x_tools

# Every top-level window made or destroyed from the start until the menu shows:
# the game makes its one window and keeps it (a window made again during
# start-up flashes on the desktop and leaves a dead id to whoever found it).
open_display
python3 "$XVFB_SUPPORT/count_windows.py" 713 653 >"$WORK/windows.txt" &
WATCHER=$!
watching() { grep -q watching "$WORK/windows.txt" || { sleep 0.1; false; }; }
keep_trying 60 watching || { echo "the window count never started"; exit 1; }
open_game_window "$binary"
WIDTH="" HEIGHT=""
eval "$(xdotool getwindowgeometry --shell "$WINDOW" | grep -E '^(WIDTH|HEIGHT)=[0-9]+$')"
if [ "$WIDTH" != 713 ] || [ "$HEIGHT" != 653 ]; then
    echo "client area is ${WIDTH} x ${HEIGHT}, not 713 x 653"
    exit 1
fi

# In its frame loop: the menu is drawn.
wait_for_menu menu || { echo "the menu never showed"; exit 1; }
kill -TERM "$WATCHER"
wait "$WATCHER"
windows="$(tail -n1 "$WORK/windows.txt")"
[ "$windows" = "made 1 destroyed 0" ] || { echo "top-level windows until the menu: $windows"; exit 1; }
start=$(date +%s%N)
kill -TERM "$GAME_PID"
if ! wait_for_exit 60; then
    echo "still running 60 s after SIGTERM"
    exit 1
fi
elapsed=$((($(date +%s%N) - start) / 1000000))
echo "window ${WIDTH} x ${HEIGHT}; SIGTERM -> exit status $EXIT_STATUS after ${elapsed} ms"
[ "$EXIT_STATUS" -eq 0 ] || { cat "$WORK/out.txt"; exit 1; }
