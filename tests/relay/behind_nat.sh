#!/usr/bin/env bash
# Two homes, each a player behind a router that masquerades, a third home for
# a watcher, and a public network with the relay: a direct join from one home
# to the other must fail, and a match through the relay by room code must run
# to a result both players agree on while the watcher sees both sides.
# Every address is from 198.18.0.0/15; everything made here is removed.
# Usage: behind_nat.sh RELAY_PROGRAM PLAYER_PROGRAM
set -uo pipefail
RELAY="$1"
PLAYER="$2"

[ "$(id -u)" = 0 ] || { echo "skipped: network namespaces need root"; exit 77; }
for tool in ip nft; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
TAG="tbx$$"
PROBE="${TAG}probe"
ip netns add "$PROBE" 2>/dev/null || { echo "skipped: this machine makes no network namespaces"; exit 77; }
ip netns del "$PROBE"

WORK="$(mktemp -d)"
NAMESPACES=()
PIDS=()
cleanup() {
    local pid ns
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${PIDS[@]}"; do wait "$pid" 2>/dev/null; done
    for ns in "${NAMESPACES[@]}"; do ip netns del "$ns" 2>/dev/null; done
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    local log
    for log in "$WORK"/*.log; do
        [ -f "$log" ] && { echo "--- $(basename "$log")"; tail -n 20 "$log"; }
    done
    exit 1
}
in_ns() { local ns="$1"; shift; ip netns exec "$ns" "$@"; }
make_ns() {
    ip netns add "$1" || fail "could not make namespace $1"
    NAMESPACES+=("$1")
    in_ns "$1" ip link set lo up
}

# The public network: a bridge in its own namespace, the relay on it.
PUB="${TAG}pub"
make_ns "$PUB"
in_ns "$PUB" ip link add br0 type bridge
in_ns "$PUB" ip addr add 198.19.0.10/24 dev br0
in_ns "$PUB" ip link set br0 up

# home N: a client namespace 198.18.N.2 behind a router 198.18.N.1 whose
# public side is 198.19.0.N and which masquerades everything going out.
make_home() {
    local n="$1" router="${TAG}r$1" client="${TAG}h$1"
    make_ns "$router"
    make_ns "$client"
    ip link add "${TAG}w$n" netns "$router" type veth peer name "${TAG}p$n" netns "$PUB" ||
        fail "could not link router $n"
    in_ns "$PUB" ip link set "${TAG}p$n" master br0 up
    in_ns "$router" ip addr add "198.19.0.$n/24" dev "${TAG}w$n"
    in_ns "$router" ip link set "${TAG}w$n" up
    ip link add "${TAG}l$n" netns "$router" type veth peer name "${TAG}c$n" netns "$client" ||
        fail "could not link home $n"
    in_ns "$router" ip addr add "198.18.$n.1/24" dev "${TAG}l$n"
    in_ns "$router" ip link set "${TAG}l$n" up
    in_ns "$client" ip addr add "198.18.$n.2/24" dev "${TAG}c$n"
    in_ns "$client" ip link set "${TAG}c$n" up
    in_ns "$client" ip route add default via "198.18.$n.1"
    in_ns "$router" sysctl -qw net.ipv4.ip_forward=1
    in_ns "$router" nft -f - <<NFT || fail "could not set up masquerading in home $n"
table ip home {
    chain outgoing {
        type nat hook postrouting priority srcnat; policy accept;
        oifname "${TAG}w$n" masquerade
    }
    chain passing {
        type filter hook forward priority filter; policy drop;
        iifname "${TAG}l$n" accept
        ct state established,related accept
    }
}
NFT
}
make_home 1
make_home 2
make_home 3

# Starts PROGRAM in namespace NS, its output in WORK/NAME.log.
start() {
    local ns="$1" name="$2"
    shift 2
    in_ns "$ns" "$@" >"$WORK/$name.log" 2>&1 &
    PIDS+=($!)
}
# wait_line NAME PATTERN SECONDS: waits until NAME's log has a line matching.
wait_line() {
    local deadline=$(($(date +%s) + $3))
    while [ "$(date +%s)" -lt "$deadline" ]; do
        grep -qE "$2" "$WORK/$1.log" 2>/dev/null && return 0
        sleep 0.2
    done
    return 1
}

# The routers pass their homes' traffic out, from their own public address:
# a datagram from home 1 reaches the public network as 198.19.0.1's.
start "$PUB" echo python3 -c '
import socket
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("198.19.0.10", 9))
print("ready", flush=True)
data, sender = s.recvfrom(64)
s.sendto(sender[0].encode(), sender)
'
wait_line echo '^ready' 30 || fail "the public echo did not start"
SEEN="$(in_ns "${TAG}h1" python3 -c '
import socket
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.settimeout(10)
s.sendto(b"hello", ("198.19.0.10", 9))
print(s.recvfrom(64)[0].decode())
')" || fail "home 1 cannot reach the public network"
[ "$SEEN" = 198.19.0.1 ] || fail "home 1 was seen as $SEEN, not as its router"

# A direct join, as on a LAN: home 2 cannot reach the player hosting in home 1,
# neither at its router's public address nor at its own.
start "${TAG}h1" lanhost "$PLAYER" lan-host
wait_line lanhost '^hosting' 30 || fail "the LAN host did not start"
for target in 198.19.0.1 198.18.1.2; do
    if in_ns "${TAG}h2" "$PLAYER" lan-join "$target" >"$WORK/lanjoin.log" 2>&1; then
        fail "a direct join from home 2 to $target reached home 1"
    fi
    grep -q '^no match' "$WORK/lanjoin.log" || fail "the direct join to $target did not say it failed"
done
echo "ok: a direct join from one home to the other fails ($SECONDS s)"

start "$PUB" relay "$RELAY" --port 27421
wait_line relay 'listening' 30 || fail "the relay did not start"
start "${TAG}h1" creator "$PLAYER" create 198.19.0.10
wait_line creator '^code [A-Z2-9]{5}$' 30 || fail "no room code came"
CODE="$(grep -m1 -oE '^code [A-Z2-9]{5}$' "$WORK/creator.log" | cut -d' ' -f2)"
start "${TAG}h3" watcher "$PLAYER" watch 198.19.0.10 "$CODE"
wait_line watcher '^watching' 30 || fail "the watcher did not get in"
start "${TAG}h2" joiner "$PLAYER" join 198.19.0.10 "$CODE"

for side in creator joiner watcher; do
    wait_line "$side" '^result ' 300 || fail "$side saw no result"
done
WON_CREATOR="$(grep -m1 '^result ' "$WORK/creator.log" | cut -d' ' -f2)"
WON_JOINER="$(grep -m1 '^result ' "$WORK/joiner.log" | cut -d' ' -f2)"
WON_WATCHER="$(grep -m1 '^result ' "$WORK/watcher.log" | cut -d' ' -f2)"
echo "winners as each saw them (by seat): creator $WON_CREATOR, joiner $WON_JOINER, watcher $WON_WATCHER"
[ "$WON_CREATOR" = "$WON_JOINER" ] || fail "the players disagree on the winner"
[ "$WON_WATCHER" = "$WON_CREATOR" ] || fail "the watcher saw another winner"
grep -qE '^snapshots seat0 [1-9][0-9]* seat1 [1-9][0-9]*$' "$WORK/watcher.log" ||
    fail "the watcher did not receive both sides' snapshots"
grep -qE "room $CODE (created|joined|watched)" "$WORK/relay.log" || fail "the relay logged no room event"
echo "ok: a match through the relay by room code, both sides and the watcher agree ($SECONDS s)"
