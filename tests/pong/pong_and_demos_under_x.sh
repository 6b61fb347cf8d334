#!/usr/bin/env bash
# Pong and the demos reached from the menu under a virtual X server with real
# key presses: F5 opens Pong, whose countdown animates above the resting
# ball, and Escape returns to the menu; F6 opens demo A, F2 demo B, holding
# Up drops balls, Escape returns to the menu and Escape there ends the
# process with status 0. Every check polls the window until its condition
# holds or 30 s have passed. Skips (77) where Xvfb, xdotool, xwd or python3
# is missing.
set -u
binary="$1"
here="$(cd "$(dirname "$0")" && pwd)"
pixels="$here/../support/window_pixels.py"
for tool in Xvfb xdotool xwd python3; do
    command -v "$tool" >/dev/null || exit 77
done

source "$here/../support/xvfb.sh"
open_game_window "$binary"

failures=0
# A busy X server now and then answers a capture with nothing: ask again.
capture() {
    for _ in 1 2 3 4 5; do
        xwd -silent -id "$WINDOW" >"$WORK/$1.xwd" 2>"$WORK/xwd.err" &&
            [ "$(stat -c %s "$WORK/$1.xwd")" -gt 100 ] && return 0
        sleep 0.1
    done
    echo "capture failed: $(cat "$WORK/xwd.err")" >&2
    return 1
}
count() { python3 "$pixels" "$@"; }
# A press the game sees: down and up in different frames.
press() {
    xdotool keydown "$1"
    sleep 0.1
    xdotool keyup "$1"
}
# wait_until DESCRIPTION OP VALUE COMMAND...: runs COMMAND (which captures
# what it compares) until its count satisfies OP VALUE, for up to 30 s.
wait_until() {
    local description="$1" op="$2" want="$3" got=""
    shift 3
    local deadline=$((SECONDS + 30))
    while [ "$SECONDS" -lt "$deadline" ]; do
        got="$("$@")"
        if [ -n "$got" ] && [ "$got" "$op" "$want" ]; then
            echo "ok: $description ($got)"
            return 0
        fi
        sleep 0.1
    done
    echo "FAILED: $description ($got, wanted $op $want)"
    failures=$((failures + 1))
    return 1
}
all_box="0 0 713 653"
# Above the ball resting at the field's centre, where the digits shrink.
countdown_box="320 290 395 316"
changed_since() {
    capture now
    count changed "$WORK/$1.xwd" "$WORK/now.xwd" $all_box
}
dark_pixels() {
    capture now
    count dark "$WORK/now.xwd" $all_box
}

# The menu is mostly dark.
wait_until "the menu is shown" -gt 100000 dark_pixels
sleep 0.5
capture menu

press F5
# The countdown lasts three seconds, less than comparing captures can take on
# a busy machine: a burst of captures first, compared afterwards.
for n in $(seq 40); do
    capture "burst$n"
done
wait_until "F5 opened Pong over the menu" -gt 100000 changed_since menu
animated=0
previous=""
for n in $(seq 40); do
    [ "$(count changed "$WORK/menu.xwd" "$WORK/burst$n.xwd" $all_box)" -gt 100000 ] || continue
    if [ -n "$previous" ] &&
        [ "$(count changed "$WORK/$previous.xwd" "$WORK/burst$n.xwd" $countdown_box)" -gt 30 ]; then
        animated=1
        break
    fi
    previous="burst$n"
done
if [ "$animated" -eq 1 ]; then
    echo "ok: the countdown animates above the resting ball"
else
    echo "FAILED: the countdown never changed above the ball in $n captures"
    failures=$((failures + 1))
fi
press Escape
wait_until "Escape returned from Pong to the menu" -lt 2000 changed_since menu

press F6
wait_until "F6 opened demo A" -gt 100000 changed_since menu
capture demoa
press F2
wait_until "F2 opened demo B" -gt 50000 changed_since demoa
capture demob
xdotool keydown Up
wait_until "holding Up drops balls" -gt 3000 changed_since demob
xdotool keyup Up
press Escape
wait_until "Escape returned from demo B to the menu" -lt 2000 changed_since menu

press Escape
status=""
for _ in $(seq 300); do
    if ! kill -0 "$GAME_PID" 2>/dev/null; then
        wait "$GAME_PID"
        status=$?
        break
    fi
    sleep 0.1
done
if [ -z "$status" ]; then
    echo "FAILED: still running 30 s after Escape on the menu"
    failures=$((failures + 1))
else
    GAME_PID=""
    if [ "$status" -eq 0 ]; then
        echo "ok: exit status 0"
    else
        echo "FAILED: exit status $status"
        failures=$((failures + 1))
    fi
fi
[ "$failures" -eq 0 ] || { echo "program output:"; cat "$WORK/out.txt"; }
[ "$failures" -eq 0 ]
