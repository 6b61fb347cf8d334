#!/usr/bin/env bash
# Fullscreen under a virtual X server with a window manager (fullscreen is the
# window manager's to grant): F11 makes the window cover the 1024 x 768
# screen, a click where level 7 lies in the scaled picture opens the play
# screen, and F11 again gives back the 713 x 653 window. Skips (77) where
# Xvfb, openbox, xdotool, xprop, xwd or python3 is missing.
set -u
binary="$1"
here="$(cd "$(dirname "$0")" && pwd)"
pixels="$here/../support/window_pixels.py"
source "$here/../support/xvfb.sh"
require_x_tools openbox xprop

WORK="$(mktemp -d)"
GAME_PID=""
WM_PID=""
cleanup() {
    [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null
    close_game_window
}
trap cleanup EXIT
start_xvfb || { echo "the virtual X server did not start"; exit 1; }

# poll TRIES COMMAND...: runs COMMAND every 0.1 s until it succeeds.
poll() {
    local tries="$1"
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
openbox --sm-disable >/dev/null 2>&1 &
WM_PID=$!
poll 300 wm_ready || { echo "the window manager did not start"; exit 1; }

start_game "$binary" "$WORK/out.txt"
WINDOW="$(wait_for_window Tubrix)"
[ -n "$WINDOW" ] || { echo "no window; the program wrote:"; cat "$WORK/out.txt"; exit 1; }
xdotool windowactivate --sync "$WINDOW" 2>/dev/null || xdotool windowfocus "$WINDOW"

failures=0
check() {
    if "${@:2}"; then
        echo "ok: $1"
    else
        echo "FAILED: $1"
        failures=$((failures + 1))
    fi
}
geometry_is() {
    local WIDTH HEIGHT X Y
    eval "$(xdotool getwindowgeometry --shell "$WINDOW" 2>/dev/null)"
    [ "${WIDTH:-}" = "$1" ] && [ "${HEIGHT:-}" = "$2" ] && { [ $# -lt 4 ] || [ "$X,$Y" = "$3,$4" ]; }
}
capture() { xwd -silent -id "$WINDOW" >"$WORK/$1.xwd" 2>/dev/null; }
count() { python3 "$pixels" "$@"; }

check "the window opens at 713 x 653" poll 100 geometry_is 713 653
xdotool key F11
check "F11 makes the window cover the screen" poll 100 geometry_is 1024 768 0 0

# The picture at 768 / 653 of its size, 93 pixels in from the left.
scale_x() { echo $((93 + $1 * 768 / 653)); }
scale_y() { echo $(($1 * 768 / 653)); }
# The title's bright letters, scaled, show the menu drawn at its new size.
title_box="$(scale_x 140) $(scale_y 100) $(scale_x 570) $(scale_y 190)"
title_light() { [ "$(count light "$WORK/menu.xwd" $title_box)" -gt 5000 ]; }
left_bar() { [ "$(count dark "$WORK/menu.xwd" 0 0 90 768)" -eq $((90 * 768)) ]; }
right_bar() { [ "$(count dark "$WORK/menu.xwd" 934 0 1024 768)" -eq $((90 * 768)) ]; }
# Until the game draws its first full-screen frame the window shows what lay
# on the screen before (its background is none), the unscaled menu among it:
# all three must hold in one capture, which is then judged part by part.
fullscreen_menu() { capture menu && title_light && left_bar && right_bar; }
poll 100 fullscreen_menu
check "the menu is drawn scaled" title_light
check "a black bar on the left" left_bar
check "a black bar on the right" right_bar

# The relative pointer to the picture's top-left corner, then on to level 7
# (490, 460; 81 x 37) in screen pixels: the game sees picture pixels. The
# button lights up under it; then a press and a release in later frames.
CORNER_BOX="$(scale_x 0) 0 $(scale_x 12) $(scale_y 16)"
level_7_box="$(scale_x 490) $(scale_y 460) $(scale_x 571) $(scale_y 497)"
on_level_7() {
    pointer_to $((530 * 768 / 653)) $((478 * 768 / 653)) &&
        capture_until hover 5 pixels_are -gt 100 changed "$WORK/menu.xwd" "$WORK/hover.xwd" $level_7_box
}
check "the pointer lights level 7 up" keep_trying 60 on_level_7
pointer_box="$(scale_x 515) $(scale_y 465) $(scale_x 565) $(scale_y 510)"
xdotool mousedown 1
check "a frame drawn with the button down" frame_barrier $pointer_box
xdotool mouseup 1
play_shown() {
    capture play && [ "$(count changed "$WORK/menu.xwd" "$WORK/play.xwd" 93 0 931 768)" -gt 150000 ]
}
check "a click on level 7 opens the play screen" poll 100 play_shown

xdotool key F11
check "F11 gives back the 713 x 653 window" poll 100 geometry_is 713 653
check "still running" kill -0 "$GAME_PID"

[ "$failures" -eq 0 ] || { echo "program output:"; cat "$WORK/out.txt"; }
[ "$failures" -eq 0 ]
