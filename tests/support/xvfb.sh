# Sourced by the tests that run the real program under a virtual X server.
# Nothing here waits a fixed time and then judges: every wait polls for the
# condition it needs, up to a generous deadline (a sanitized build on a busy
# machine may draw only a few frames a second).
XVFB_SUPPORT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

# require_x_tools [TOOL...]: ends the script as skipped (77) unless the
# virtual X server, xdotool, xwd, python3 and every TOOL given are installed.
require_x_tools() {
    local tool
    for tool in Xvfb xdotool xwd python3 "$@"; do
        command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
    done
}

# require_game_port: skips the test (77) while something else holds the game's
# one UDP port, which is no fault of the game's.
require_game_port() {
    python3 -c 'import socket; socket.socket(socket.AF_INET, socket.SOCK_DGRAM).bind(("", 27420))' \
        2>/dev/null || { echo "UDP port 27420 is taken"; exit 77; }
}

# free_udp_port: prints a UDP port on the loopback that nothing holds now. It
# may be taken before it is used: a caller that binds it tries another then.
free_udp_port() {
    python3 -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# seconds_left DEADLINE: true while the clock (whole seconds) is before DEADLINE.
seconds_left() { [ "$(date +%s)" -lt "$1" ]; }

# start_xvfb starts one on a display number the server picks itself (so
# parallel tests never collide), waits until it accepts clients, and exports
# DISPLAY; it sets XVFB_PID for stop_xvfb. A server that dies before naming
# its display is started again, up to three times (its own messages are
# printed if the last one dies too). Returns non-zero if no server came up.
# XVFB_SCREEN, when set, is the screen's size and depth (1024x768x24 when unset).
start_xvfb() {
    local ready log attempt number=""
    ready="$(mktemp)"
    log="$(mktemp)"
    for attempt in 1 2 3; do
        : >"$ready"
        # -noreset: by default the server starts over whenever its last
        # client leaves, as each xdotool poll does before the game connects,
        # and refuses connections while it does (41 of 1,039 opens failed
        # beside such polls; none with the flag).
        Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1024x768x24}" -nolisten tcp -noreset 3>"$ready" >"$log" 2>&1 &
        XVFB_PID=$!
        local deadline=$(($(date +%s) + 60))
        while seconds_left "$deadline"; do
            number="$(tr -d '[:space:]' <"$ready")"
            [ -n "$number" ] && break
            kill -0 "$XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        [ -n "$number" ] && break
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
        echo "the virtual X server (attempt $attempt) did not come up:"
        sed 's/^/    /' "$log"
    done
    rm -f "$ready" "$log"
    [ -n "$number" ] || return 1
    export DISPLAY=":$number"
}

stop_xvfb() {
    [ -n "${XVFB_PID:-}" ] || return 0
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=""
}

# wait_for_window TITLE: prints the id of the first window with that exact
# title, waiting up to 60 s (a sanitized build on a loaded machine starts
# slowly) or until the program (GAME_PID, when set) has ended.
wait_for_window() {
    local window=""
    local deadline=$(($(date +%s) + 60))
    while seconds_left "$deadline"; do
        window="$(xdotool search --name "^$1\$" 2>/dev/null | head -n1)"
        [ -n "$window" ] && break
        [ -z "${GAME_PID:-}" ] || kill -0 "$GAME_PID" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$window" ] && echo "$window"
}

# start_game BINARY OUTPUT: starts the program on the virtual display in a
# clean environment (the display and X11 as the only video driver, so that a
# refused connection ends the program instead of SDL quietly taking a driver
# without a window; a silent audio device, or with GAME_AUDIO_FILE set SDL's
# disk driver writing the mixed output there; what the test run chose for the
# renderer and the sanitizers; per-user folders beside OUTPUT, config/ and
# data/, so that a test's settings and scores never reach the user's and a
# program started again with the same OUTPUT folder finds them), its output
# into OUTPUT.
# Sets GAME_PID.
start_game() {
    local folders audio=(SDL_AUDIODRIVER=dummy)
    folders="$(dirname "$2")"
    [ -z "${GAME_AUDIO_FILE:-}" ] || audio=(SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$GAME_AUDIO_FILE")
    env -i DISPLAY="$DISPLAY" SDL_VIDEODRIVER=x11 "${audio[@]}" PATH="$PATH" HOME="${HOME:-/tmp}" \
        XDG_CONFIG_HOME="$folders/config" XDG_DATA_HOME="$folders/data" \
        SDL_RENDER_DRIVER="${SDL_RENDER_DRIVER:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}" \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
        "$1" </dev/null >"$2" 2>&1 &
    GAME_PID=$!
}

# file_size FILE: its size in bytes (0 while it does not exist).
file_size() { stat -c %s "$1" 2>/dev/null || echo 0; }

# sounding_share FILE FROM: the percentage of samples that are not silent in
# the raw output SDL's disk driver wrote to FILE (16-bit signed samples),
# from byte FROM to its end.
sounding_share() {
    python3 -c '
import array, sys
with open(sys.argv[1], "rb") as f:
    f.seek(int(sys.argv[2]) // 4 * 4)
    samples = array.array("h", f.read())
print(100 * sum(1 for s in samples if abs(s) > 4) // max(1, len(samples)))' "$1" "$2"
}

# focus_window ID: gives that window the keyboard focus, waiting until the
# server has done so where xdotool can (a game draws frames only while it has
# the focus).
focus_window() {
    xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
}

# open_display: a virtual X server and WORK, a temporary folder. At exit the
# program (if GAME_PID is set), the server and WORK go away. Ends the script
# with a failure if the server does not come up.
open_display() {
    WORK="$(mktemp -d)"
    GAME_PID=""
    trap close_game_window EXIT
    start_xvfb || { echo "the virtual X server did not start"; exit 1; }
}

# open_game_window BINARY: the program started on the virtual X server (one
# is opened first unless open_display already did) and its window found and
# focused. Sets GAME_PID and WINDOW; the program's output goes to
# $WORK/out.txt. Ends the script with a failure if the window does not come up.
open_game_window() {
    [ -n "${XVFB_PID:-}" ] || open_display
    start_game "$1" "$WORK/out.txt"
    WINDOW="$(wait_for_window Tubrix)"
    if [ -z "$WINDOW" ]; then
        echo "no window titled Tubrix appeared; the program wrote:"
        cat "$WORK/out.txt"
        exit 1
    fi
    focus_window "$WINDOW"
}

close_game_window() {
    [ -n "${GAME_PID:-}" ] && kill -9 "$GAME_PID" 2>/dev/null
    stop_xvfb
    rm -rf "$WORK"
}

# capture_window NAME: the window's pixels now, into $WORK/NAME.xwd.
capture_window() {
    xwd -silent -id "$WINDOW" >"$WORK/$1.xwd" 2>/dev/null
}

# window_pixels ARGS: tests/support/window_pixels.py with ARGS.
window_pixels() {
    python3 "$XVFB_SUPPORT/window_pixels.py" "$@"
}

# pixels_are OP LIMIT ARGS: true when the count window_pixels prints for ARGS
# passes the test OP LIMIT (-lt, -gt, -eq ...). The count stays in PIXELS.
pixels_are() {
    local op="$1" limit="$2"
    shift 2
    PIXELS="$(window_pixels "$@")"
    [ -n "$PIXELS" ] && [ "$PIXELS" "$op" "$limit" ]
}

# capture_until NAME SECONDS COMMAND...: captures the window as NAME and runs
# COMMAND, again and again, until COMMAND succeeds; false if it has not after
# SECONDS. The last capture stays in $WORK/NAME.xwd.
capture_until() {
    local name="$1" deadline=$(($(date +%s) + $2))
    shift 2
    while :; do
        capture_window "$name" && "$@" && return 0
        seconds_left "$deadline" || return 1
        sleep 0.2
    done
}

# keep_trying SECONDS COMMAND...: runs COMMAND until it succeeds; false if it
# has not after SECONDS. For steps whose first try may come too early.
keep_trying() {
    local deadline=$(($(date +%s) + $1))
    shift
    until "$@"; do
        seconds_left "$deadline" || return 1
    done
}

# wait_for_still NAME X0 Y0 X1 Y1 [SECONDS]: captures the window as NAME until
# two captures in a row, at least a quarter second apart, agree in every pixel
# of the rectangle (so whatever fades or slides there has ended); false if
# none have within SECONDS (60 unless given).
wait_for_still() {
    local name="$1" box="$2 $3 $4 $5" deadline=$(($(date +%s) + ${6:-60}))
    capture_window "$name.before" || return 1
    while :; do
        sleep 0.25
        capture_window "$name" || return 1
        # shellcheck disable=SC2086
        pixels_are -eq 0 differing "$WORK/$name.before.xwd" "$WORK/$name.xwd" $box && return 0
        seconds_left "$deadline" || return 1
        mv "$WORK/$name.xwd" "$WORK/$name.before.xwd"
    done
}

# wait_for_exit [SECONDS]: waits for the program (GAME_PID) to end, up to
# SECONDS (60 unless given). Sets EXIT_STATUS and clears GAME_PID when it
# ended; false if it is still running.
wait_for_exit() {
    local deadline=$(($(date +%s) + ${1:-60}))
    EXIT_STATUS=""
    while kill -0 "$GAME_PID" 2>/dev/null; do
        seconds_left "$deadline" || return 1
        sleep 0.05
    done
    wait "$GAME_PID"
    EXIT_STATUS=$?
    GAME_PID=""
}

# expect NAME VALUE OP LIMIT: prints ok or FAILED for the test VALUE OP LIMIT
# and counts failures in FAILURES.
FAILURES=0
expect() {
    if [ -n "$2" ] && [ "$2" "$3" "$4" ]; then
        echo "ok: $1 ($2)"
    else
        echo "FAILED: $1 (${2:-nothing}, wanted $3 $4)"
        FAILURES=$((FAILURES + 1))
    fi
}

# must WHAT COMMAND...: runs COMMAND, a wait that the steps after it rely on;
# if it fails (its condition did not come within its deadline), prints
# "FAILED: WHAT" and the program's output and ends the script with a failure:
# every later check would judge a window in an unknown state.
must() {
    local what="$1"
    shift
    "$@" && return 0
    echo "FAILED: $what"
    echo "program output:"
    cat "$WORK/out.txt"
    exit 1
}

# wait_for_menu NAME: captures the window as NAME until the menu shows (its
# instructions button is light; the loading picture is dark there). False
# after 60 s.
wait_for_menu() {
    capture_until "$1" 60 pixels_are -gt 200 light "$WORK/$1.xwd" 50 535 206 583
}

# pointer_in_corner / pointer_off_corner: whether the last capture (corner)
# shows the game's pointer drawn at the picture's top-left corner: its light
# fill and its dark outline, one of which the screen behind lacks there.
# CORNER_BOX is where it is drawn then (the window's corner unless set).
corner_pixels() {
    # shellcheck disable=SC2086
    window_pixels "$1" "$WORK/corner.xwd" ${CORNER_BOX:-0 0 12 16}
}
pointer_in_corner() { [ "$(corner_pixels light)" -gt 20 ] && [ "$(corner_pixels dark)" -gt 8 ]; }
pointer_off_corner() { [ "$(corner_pixels light)" -eq 0 ] || [ "$(corner_pixels dark)" -eq 0 ]; }

# pointer_to X Y: the game's pointer to the window's top-left corner, then X, Y
# pixels right and down. The game adds up a frame's moves before it holds its
# pointer inside the window, so a move past the corner and the way back taken
# in one frame (as a slow build takes them) would leave it at the corner: it
# is seen off the corner, then drawn in it, before the last move is sent. The
# program holds the system's pointer inside its window (relative mode) only
# once it has the focus, so this repeats until that pointer really stopped at
# X, Y of the window; false after 60 s.
pointer_to() {
    local deadline=$(($(date +%s) + 60)) X Y WINDOW_X WINDOW_Y
    while :; do
        xdotool mousemove_relative -- 40 40
        if capture_until corner 3 pointer_off_corner; then
            xdotool mousemove_relative -- -2000 -2000
            if capture_until corner 3 pointer_in_corner; then
                xdotool mousemove_relative -- "$1" "$2"
                eval "$(xdotool getwindowgeometry --shell "$WINDOW" | sed -n 's/^\([XY]\)=/WINDOW_\1=/p')"
                eval "$(xdotool getmouselocation --shell | grep '^[XY]=')"
                [ "$X" -eq $((WINDOW_X + $1)) ] && [ "$Y" -eq $((WINDOW_Y + $2)) ] && return 0
            fi
        fi
        seconds_left "$deadline" || return 1
        sleep 0.2
    done
}

# pointer_at_rest X Y X0 Y0 X1 Y1: the pointer to X, Y of the window
# (pointer_to), then nudged a pixel and the game's own pointer seen moving
# inside the rectangle: the game has the motion, and the pointer rests there
# for frame_barrier. False if the game's pointer did not move within 3 s.
pointer_at_rest() {
    pointer_to "$1" "$2" || return 1
    shift 2
    capture_window rest.before
    xdotool mousemove_relative -- 1 0
    capture_until rest 3 pixels_are -gt 0 differing "$WORK/rest.before.xwd" "$WORK/rest.xwd" "$@"
}

# other_window ID: the id of a window titled Tubrix other than ID, in
# OTHER_WINDOW; false while there is none.
other_window() {
    OTHER_WINDOW="$(xdotool search --name '^Tubrix$' 2>/dev/null | grep -vx "$1" | head -n1)"
    [ -n "$OTHER_WINDOW" ] || { sleep 0.1; return 1; }
}

# frame_barrier X0 Y0 X1 Y1: nudges the pointer one pixel, alternately right
# and left, and waits until the window shows it moved inside the rectangle
# (which must hold the pointer and nothing else that moves). The program
# reads events in order, so a frame has then been run after every event sent
# before. False after 60 s.
frame_barrier() {
    capture_window barrier.before || return 1
    if [ "${BARRIER_STEP:-1}" -eq 1 ]; then
        xdotool mousemove_relative -- 1 0
        BARRIER_STEP=-1
    else
        xdotool mousemove_relative -- -1 0
        BARRIER_STEP=1
    fi
    capture_until barrier 60 pixels_are -gt 0 differing "$WORK/barrier.before.xwd" \
        "$WORK/barrier.xwd" "$@"
}

# press_key KEY X0 Y0 X1 Y1: KEY down in one frame, up in a later one, and
# one frame more, as the program must see it to take it as a press (some
# screens act when the key reads up after its release); the rectangle is the
# pointer's, for frame_barrier.
press_key() {
    local key="$1"
    shift
    xdotool keydown "$key"
    frame_barrier "$@" || return 1
    xdotool keyup "$key"
    frame_barrier "$@" || return 1
    frame_barrier "$@"
}

# Two copies of the game side by side on one display, each driven from its
# versus screen, for the network match tests. XVFB_SCREEN leaves room for
# both windows (713 x 653): a capture of a window another overlaps is not the
# window's. The pointer rests where nothing else moves on the menu and versus
# screens; the versus screen's network lines; each match screen's own well,
# the other side's, and where the result lies over the own well.
VERSUS_SCREEN=1480x700x24
VERSUS_REST_BOX="645 610 700 653"
VERSUS_STATUS_BOX="76 540 637 600"
VERSUS_MY_WELL="70 132 334 612"
VERSUS_THEIR_WELL="500 326 632 590"
VERSUS_RESULT_BOX="61 240 341 420"

# versus_press KEY: press_key with the pointer at its rest; ends the script
# if no frame came.
versus_press() {
    # shellcheck disable=SC2086 # the rectangle is four words
    must "a frame drawn while pressing $1" press_key "$1" $VERSUS_REST_BOX
}

# versus_status_changed NAME SINCE WHAT: captures as NAME until the versus
# screen's network lines differ from capture SINCE; ends the script with
# "FAILED: WHAT" after 60 s.
versus_status_changed() {
    # shellcheck disable=SC2086
    must "$3" capture_until "$1" 60 pixels_are -gt 100 changed "$WORK/$2.xwd" "$WORK/$1.xwd" \
        $VERSUS_STATUS_BOX
}

# open_versus BINARY SIDE X OUTPUT: a copy started with its output in OUTPUT
# (its per-user folders beside it), its window (the one that is not
# FIRST_WINDOW) at X and in WINDOW, focused with the pointer at rest once the
# menu shows (the loading picture comes before the game's pointer), and F7
# seen opening its versus screen, captured as SIDE_versus. The copy's process
# id is added to COPY_PIDS.
open_versus() {
    start_game "$1" "$4"
    COPY_PIDS="${COPY_PIDS:-} $GAME_PID"
    must "the $2's window opened" keep_trying 60 other_window "${FIRST_WINDOW:-none}"
    WINDOW=$OTHER_WINDOW
    xdotool windowmove --sync "$WINDOW" "$3" 0
    must "the $2's menu showed" wait_for_menu "$2_menu"
    focus_window "$WINDOW"
    # shellcheck disable=SC2086
    must "the pointer came to rest for the $2" keep_trying 60 pointer_at_rest 660 625 $VERSUS_REST_BOX
    versus_press F7
    must "F7 opened the $2's versus screen" capture_until "$2_versus" 60 \
        pixels_are -gt 100000 changed "$WORK/$2_menu.xwd" "$WORK/$2_versus.xwd" 0 0 713 653
}

# match_wells_moving SIDE: SIDE's window (WINDOW) seen going from its versus
# screen to the match screen, then both wells there seen changing: its own,
# and the other side's from that side's snapshots. A well that stays as it
# was for 60 s counts as a failure.
match_wells_moving() {
    local part box
    must "the $1's match screen opened" capture_until "$1_match" 60 \
        pixels_are -gt 100000 changed "$WORK/$1_versus.xwd" "$WORK/$1_match.xwd" 0 0 713 653
    for part in my_well their_well; do
        box=$VERSUS_MY_WELL
        [ "$part" = their_well ] && box=$VERSUS_THEIR_WELL
        # shellcheck disable=SC2086
        capture_until "$1_$part" 60 pixels_are -gt 50 changed "$WORK/$1_match.xwd" \
            "$WORK/$1_$part.xwd" $box
        expect "$part changed on the $1's screen" "$PIXELS" -gt 50
    done
}
