# Sourced by the tests that run the real program under a virtual X server.
# start_xvfb starts one on a display number the server picks itself (so
# parallel tests never collide), waits until it accepts clients, and exports
# DISPLAY; it sets XVFB_PID for stop_xvfb. Returns non-zero if no server came up.
start_xvfb() {
    local ready
    ready="$(mktemp)"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$ready" >/dev/null 2>&1 &
    XVFB_PID=$!
    local number=""
    for _ in $(seq 300); do
        number="$(tr -d '[:space:]' <"$ready")"
        [ -n "$number" ] && break
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$ready"
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
# title, waiting up to 30 s (a sanitized build on a loaded machine starts slowly).
wait_for_window() {
    local window=""
    for _ in $(seq 300); do
        window="$(xdotool search --name "^$1\$" 2>/dev/null | head -n1)"
        [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] && echo "$window"
}

# start_game BINARY OUTPUT: starts the program on the virtual display in a
# clean environment (the display, a silent audio device, and what the test
# run chose for the renderer and the sanitizers), its output into OUTPUT.
# Sets GAME_PID.
start_game() {
    env -i DISPLAY="$DISPLAY" SDL_AUDIODRIVER=dummy PATH="$PATH" HOME="${HOME:-/tmp}" \
        SDL_RENDER_DRIVER="${SDL_RENDER_DRIVER:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}" \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
        "$1" </dev/null >"$2" 2>&1 &
    GAME_PID=$!
}

# open_game_window BINARY: a virtual X server, the program started on it and
# its window found and focused. Sets WORK (a temporary folder holding the
# program's output in out.txt), GAME_PID and WINDOW. At exit the program (if
# GAME_PID is still set), the server and WORK go away. Ends the script with a
# failure if the server or the window does not come up.
open_game_window() {
    WORK="$(mktemp -d)"
    GAME_PID=""
    trap close_game_window EXIT
    start_xvfb || { echo "the virtual X server did not start"; exit 1; }
    start_game "$1" "$WORK/out.txt"
    WINDOW="$(wait_for_window Tubrix)"
    if [ -z "$WINDOW" ]; then
        echo "no window titled Tubrix appeared; the program wrote:"
        cat "$WORK/out.txt"
        exit 1
    fi
    xdotool windowfocus --sync "$WINDOW" 2>/dev/null || xdotool windowfocus "$WINDOW"
}

close_game_window() {
    [ -n "${GAME_PID:-}" ] && kill -9 "$GAME_PID" 2>/dev/null
    stop_xvfb
    rm -rf "$WORK"
}
