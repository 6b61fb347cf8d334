#!/usr/bin/env bash
# Two copies of the game and a relay on the loopback, side by side on one
# virtual display, play a match through a room with real keys. Each copy's
# settings name the relay. The maker presses F7, C (its screen shows the
# room's code) and Enter (ready for when the other joins); the code is taken
# from the relay's log line for the room, the one room there is. The joiner
# presses F7, K, types the code, Enter to join and Enter to be ready. Both
# match screens show both wells changing; then the joiner holds its drop key
# until its well tops out, and both screens show the result over a well that
# stands still. Skips (77) where Xvfb, xdotool, xwd or python3 is missing.
# Usage: relay_under_x.sh GAME [RELAY] (RELAY: tubrix-relay beside GAME unless given)
set -u
binary="$1"
relay="${2:-$(dirname "$1")/tubrix-relay}"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../support/xvfb.sh"
require_x_tools
[ -x "$relay" ] || { echo "no relay program at $relay"; exit 1; }

export XVFB_SCREEN=$VERSUS_SCREEN
open_display
RELAY_PID=""
# The maker's output is $WORK/out.txt, which `must` prints; the joiner's and
# the relay's too.
trap 'echo "joiner output:"; cat "$WORK/joiner/out.txt" 2>/dev/null
      echo "relay log:"; cat "$WORK/relay.txt" 2>/dev/null
      for pid in ${COPY_PIDS:-} $RELAY_PID; do kill -9 "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
      close_game_window' EXIT

# relay_listening: the relay started on a free port of the loopback and seen
# saying it listens (RELAY_PID, RELAY_PORT); false if it ended first, as when
# another program took the port in between.
relay_listening() {
    RELAY_PORT="$(free_udp_port)"
    "$relay" --port "$RELAY_PORT" 2>"$WORK/relay.txt" &
    RELAY_PID=$!
    until grep -q "listening on UDP port $RELAY_PORT" "$WORK/relay.txt"; do
        kill -0 "$RELAY_PID" 2>/dev/null || { wait "$RELAY_PID"; RELAY_PID=""; return 1; }
        sleep 0.1
    done
}
must "the relay listened on the loopback" keep_trying 30 relay_listening

# Each copy's settings, in the config folder beside its output, name the relay.
for side in . joiner; do
    mkdir -p "$WORK/$side/config/tubrix"
    printf 'tubrix-settings 1\nrelay 127.0.0.1:%s\nend\n' "$RELAY_PORT" \
        >"$WORK/$side/config/tubrix/settings.txt"
done

# room_code: the code of the room the relay's log says was made, in CODE.
room_code() {
    CODE="$(sed -n 's/^room \([A-Z0-9]*\) created$/\1/p' "$WORK/relay.txt" | head -n1)"
    [ -n "$CODE" ] || { sleep 0.1; return 1; }
}

# Where the maker's screen draws the room's code, large and in colour; the
# result's words over a match screen's own well, inside the well's frame
# (light elsewhere there only in a few highlights of the shapes); and the
# result's title.
code_box="80 545 280 600"
result_words="72 250 332 420"
result_title="90 255 310 297"

open_versus "$binary" maker 0 "$WORK/out.txt"
FIRST_WINDOW=$WINDOW
versus_press c
must "the relay made a room" keep_trying 60 room_code
# shellcheck disable=SC2086 # a rectangle is four words
must "C made the maker's screen show the room's code" capture_until maker_room 60 \
    pixels_are -gt 500 coloured "$WORK/maker_room.xwd" $code_box
versus_press Return
versus_status_changed maker_ready maker_room "Enter made the maker's screen say it is ready"

open_versus "$binary" joiner 760 "$WORK/joiner/out.txt"
JOINER_WINDOW=$WINDOW
versus_press k
versus_status_changed joiner_asked joiner_versus "K made the joiner's screen ask for a code"
xdotool type --delay 40 "$CODE"
versus_status_changed joiner_typed joiner_asked "the typed code showed"
versus_press Return
versus_press Return
# Both wells on both screens move. The maker's window is in the background
# all the while.
match_wells_moving joiner
WINDOW=$FIRST_WINDOW
match_wells_moving maker

# The joiner's drops held until each screen shows the result over its own
# well, which then stands still: the match is over on both sides.
xdotool keydown Down
for side in joiner maker; do
    WINDOW=$JOINER_WINDOW
    [ "$side" = maker ] && WINDOW=$FIRST_WINDOW
    # shellcheck disable=SC2086
    capture_until "${side}_result" 180 pixels_are -gt 2000 light "$WORK/${side}_result.xwd" $result_words
    expect "the $side's screen showed the result" "$PIXELS" -gt 2000
    # shellcheck disable=SC2086
    wait_for_still "${side}_over" $VERSUS_MY_WELL 30
    expect "the $side's well stood still (0: it did)" "$?" -eq 0
done
xdotool keyup Down
# Both agree who won: the joiner's title, YOU LOSE, is a letter longer than
# the maker's YOU WIN (a draw, or the same words on both, would be as long).
# shellcheck disable=SC2086
lost=$(window_pixels light "$WORK/joiner_over.xwd" $result_title)
# shellcheck disable=SC2086
won=$(window_pixels light "$WORK/maker_over.xwd" $result_title)
expect "light pixels the joiner's title has beyond the maker's" $((lost - won)) -gt 80
[ "$FAILURES" -eq 0 ] || { echo "maker output:"; cat "$WORK/out.txt"; }
[ "$FAILURES" -eq 0 ]
