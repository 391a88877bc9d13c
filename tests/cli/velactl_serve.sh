#!/usr/bin/env bash
# velactl serve end to end: a virtual processor served on loopback with a token; velactl with the token
# edits it, without the token (or with another) it is refused and nothing is written.
# Usage: velactl_serve.sh BINDIR
set -u
bin=$1
source "$(dirname "$0")/checks.sh"
serve_pid=""
room_pids=""
stop_at_exit() { echo $serve_pid $room_pids; }

source "$(dirname "$0")/velasim_start.sh"

check "new token" 0 "$bin/velactl" serve --new-token "$work/room.token"
expect "token mode" <(stat -c %a "$work/room.token") '^600$'
check "token kept" 5 "$bin/velactl" serve --new-token "$work/room.token"
check "other token" 0 "$bin/velactl" serve --new-token "$work/other.token"
check "no token beyond loopback" 2 "$bin/velactl" serve --listen 0.0.0.0:4357 --device sim
expect "says why" "$work/err" "without a token"

start_serve() {  # start_serve LOG: serves a virtual processor with the room token; sets port and pid
    start_listening "$1" "serving" "$bin/velactl" serve --listen "127.0.0.1:{port}" --device sim \
        --token-file "$work/room.token" || exit 1
    pid=$started_pid
    port=$started_port
}
start_serve "$work/serve.log"
serve_pid=$pid
dev="tcp:127.0.0.1:$port"

check "set with the token" 0 "$bin/velactl" --device "$dev" --token-file "$work/room.token" --raw set 200=3
check "set without a token" 4 "$bin/velactl" --device "$dev" --raw set 200=5
expect "told a token is asked" "$work/err" "refused by 127.0.0.1:$port: it asks for a token"
check "set with another token" 4 "$bin/velactl" --device "$dev" --token-file "$work/other.token" --raw set 200=5
expect "told wrong token" "$work/err" "refused by 127.0.0.1:$port: wrong token"
VELA_TOKEN_FILE="$work/room.token" check "token from the environment" 0 "$bin/velactl" --device "$dev" get 200
expect "the edit landed, the refused ones did not" "$work/out" "^200 3$"

# Every room before opening: three served rooms and one where nothing answers.
rooms="$work/rooms"
echo "# name device token" >"$rooms"
echo "hall $dev $work/room.token" >>"$rooms"
for name in bar lounge; do
    start_serve "$work/$name.log"
    room_pids="$room_pids $pid"
    echo "$name tcp:127.0.0.1:$port $work/room.token" >>"$rooms"
done
echo "dead tcp:127.0.0.1:$(shuf -i 20000-60000 -n 1) $work/room.token" >>"$rooms"
check "rooms set, one dead" 3 "$bin/velactl" rooms "$rooms" --raw set 201=2 --timeout 3
expect "rooms in file order" <(tr '\n' ' ' <"$work/out") "^hall: ok bar: ok lounge: ok dead: .*$"
check "rooms get" 3 "$bin/velactl" rooms "$rooms" get 201 --json --timeout 3
expect "every served room took the edit" <(grep -c '"exit":0,"output":\[{[^]]*"value": *2' "$work/out") "^3$"
expect "the dead room says why" "$work/out" '"room":"dead".*"exit":3.*"error"'
# One measured correction into every room's Music strip, then read back from each.
printf 'Filter 1: ON PK Fc 1000 Hz Gain -3.5 dB Q 1.4\n' >"$work/room.eq"
check "rooms eq import" 3 "$bin/velactl" rooms "$rooms" eq import "$work/room.eq" --channel music --timeout 3
expect "each served room reports its bands" <(grep -c '^[a-z]*: band 1: PK 1000 Hz -3.5 dB' "$work/out") "^3$"
check "rooms eq export" 3 "$bin/velactl" rooms "$rooms" eq export --channel music --timeout 3
expect "every served room holds the import" <(grep -c '^[a-z]*: Filter 1: ON PK Fc 1000 Hz Gain -3.5 dB Q 1.40' "$work/out") "^3$"
check "rooms eq import from standard input" 2 "$bin/velactl" rooms "$rooms" eq import - --channel music
check "rooms eq export to one file" 2 "$bin/velactl" rooms "$rooms" eq export --channel music "$work/all.txt"
[ ! -e "$work/all.txt" ] || { echo "FAIL rooms eq export wrote a file"; failures=$((failures + 1)); }

kill -INT "$serve_pid"
wait "$serve_pid"
status=$?
serve_pid=""
[ "$status" -eq 0 ] || fail "serve ended with $status after Ctrl-C"
expect "log: peer and time" "$work/serve.log" "^[0-9-]+ [0-9:]+Z velactl serve: 127\.0\.0\.1:[0-9]+ proved the token"
expect "log: refusal" "$work/serve.log" "127\.0\.0\.1:[0-9]+ refused: wrong token"
expect "log: stop" "$work/serve.log" "stopped after 6 session"

finish "velactl serve"
