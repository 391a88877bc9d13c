#!/usr/bin/env bash
# velactl against velasim over the report stream, as a user runs them. Usage: velactl_velasim.sh BINDIR
set -u
bin=$1
source "$(dirname "$0")/checks.sh"
sim_pid=""
stop_at_exit() { echo $sim_pid; }

source "$(dirname "$0")/velasim_start.sh"
start_sim() {
    launch_velasim "$bin" "$work/sim.log" "${state:-$work/device.state}" "$@" || exit 1
    sim_pid=$velasim_pid
    sim_port=$velasim_port
    dev="tcp:127.0.0.1:$sim_port"
}
stop_sim() { kill "$sim_pid"; wait "$sim_pid" 2>/dev/null; }

ctl() { "$bin/velactl" --device "$dev" --timeout 5 "$@"; }

start_sim

check "status" 0 ctl status && expect_out status "device id: 0x6201"
check "set" 0 ctl set 28=560 800=0x1234
check "get" 0 ctl get 28 800 && expect_out get "^28 560$" && expect_out get "^800 4660$"
check "dump" 0 ctl dump --names && expect_out dump "^946 " && expect_out dump "^255 198 Music EQ band 1"
[ "$(wc -l <"$work/out")" -eq 947 ] || fail "dump: not 947 lines"
check "dump json" 0 ctl dump --json && expect_out "dump json" '"index": 946'
check "save" 0 ctl save "$work/room.lub"
check "inspect" 0 "$bin/velactl" inspect "$work/room.lub" && expect_out inspect "^800 4660 " && expect_out inspect "values: 947"
check "set again" 0 ctl set 800=7
check "load" 0 ctl load "$work/room.lub"
check "get after load" 0 ctl get 800 && expect_out "get after load" "^800 4660$"
check "scene save" 0 ctl scene save 4 "Friday night"
check "scene list" 0 ctl scene list && expect_out "scene list" "^[ *] 4 Friday night$"
check "scene call" 0 ctl scene call 4 && check "current scene" 0 ctl scene list && expect_out "current scene" "^\* 4 "
check "settings save" 0 ctl settings save
check "wifi hotspot" 0 ctl wifi hotspot Lobby sing-along-1
check "wifi show" 0 ctl wifi show && expect_out "wifi show" "^hotspot ssid: Lobby$"
check "wifi route needs --yes" 4 ctl wifi mode route
check "wifi short password" 2 ctl wifi hotspot Lobby short

# Bad input: nothing reaches the device.
head -c 1000 "$work/room.lub" >"$work/cut.lub"
check "truncated file" 5 ctl load "$work/cut.lub"
check "missing file" 5 ctl load "$work/nothing.lub"
check "bad index" 2 ctl set 947=1
check "bad value" 2 ctl set 5=70000
check "unknown command" 2 ctl frobnicate
check "help" 0 ctl set --help

# A processor held by another program: velasim serves one connection at a time.
exec 4<>"/dev/tcp/127.0.0.1/$sim_port"
check "busy" 3 ctl --timeout 2 status && expect_err busy "another program"
exec 4>&-

# A device with another id is named as such.
stop_sim
start_sim --device-id 1234
check "wrong device" 3 ctl status && expect_err "wrong device" "0x1234"

stop_sim
start_sim --occupied -1
check "occupied" 4 ctl get 1
check "occupied status" 4 ctl status && expect_err "occupied status" "held by another controller"

# With one reply in ten lost, values still land and are reported as landed.
stop_sim
start_sim --drop 0.1 --seed 3
for k in 1 2 3 4 5 6; do
    check "lossy set $k" 0 ctl set 26=$((500 + k)) 27=$((510 + k)) 800=$k 801=$k 802=$k 803=$k
done

# The light path: ranges, JSON, quiet.
check "get range" 0 ctl get 26-27 && expect_out "get range" "^26 " && expect_out "get range" "^27 "
check "status json" 0 ctl status --json && expect_out "status json" '"device_id": 25089'
check "quiet" 0 ctl -q get 28
[ ! -s "$work/out" ] || fail "quiet printed something"
check "version" 0 "$bin/velactl" --version && expect_out version "^velactl [0-9]"

# Two rooms: two velasim instances stand in for two processors; one batch goes into both.
stop_sim
start_sim
room_a=$dev
pid_a=$sim_pid
state="$work/room-b.state" start_sim
room_b=$dev
cat >"$work/levels.txt" <<'LINES'
# levels before opening
set 26=520 27=520
set 800=17
get 26-27 800
LINES
for room in "$room_a" "$room_b"; do
    check "batch into $room" 0 "$bin/velactl" --device "$room" --timeout 5 batch "$work/levels.txt" \
        && expect_out "batch into $room" "^line 2: ok$" && expect_out "batch into $room" "^800 17$"
done
check "room b holds it" 0 "$bin/velactl" --device "$room_b" --timeout 5 get 800 && expect_out "room b holds it" "^800 17$"
check "batch from stdin" 2 sh -c "printf 'set 28=501\\nset 28=99999\\nset 28=502\\n' | '$bin/velactl' --device '$room_a' batch" \
    && expect_out "batch from stdin" "^line 1: ok$" && expect_err "batch from stdin" "line 2: "
check "nothing after the bad line" 0 "$bin/velactl" --device "$room_a" --timeout 5 get 28 && expect_out "nothing after the bad line" "^28 501$"

# diff: a nightly backup against the room, and two backups against each other.
check "backup" 0 "$bin/velactl" --device "$room_a" --timeout 5 save "$work/night1.lub"
check "room changed" 0 "$bin/velactl" --device "$room_a" --timeout 5 set 28=533
check "diff with room" 1 "$bin/velactl" --device "$room_a" --timeout 5 diff "$work/night1.lub" \
    && expect_out "diff with room" "^28 Music master level 501 533$"
check "backup 2" 0 "$bin/velactl" --device "$room_a" --timeout 5 save "$work/night2.lub"
check "diff files" 1 "$bin/velactl" diff "$work/night1.lub" "$work/night2.lub" --json \
    && expect_out "diff files" '"index": 28, "name": "Music master level", "a": 501, "b": 533'
kill "$pid_a"; wait "$pid_a" 2>/dev/null
stop_sim
unset state

# A failing line stops the batch unless --keep-going; the exit status is the first failure's.
start_sim --ignore-saves
printf 'scene save 2 Late\nset 28=505\n' >"$work/saves.txt"
check "batch stops" 4 ctl batch "$work/saves.txt"
grep -q "line 2: ok" "$work/out" && fail "batch went on after a failure"
check "batch keeps going" 4 ctl batch --keep-going "$work/saves.txt" && expect_out "batch keeps going" "^line 2: ok$"
check "batch json keeps going" 4 ctl --json batch --keep-going "$work/saves.txt" \
    && expect_out "batch json keeps going" '^\{"line": 1, "ok": false, "exit": 4\}$' \
    && expect_out "batch json keeps going" '^\{"line": 2, "ok": true\}$'

# A Wi-Fi module that answers nothing is named, not taken for a processor that stopped answering.
stop_sim
start_sim --mute-wifi
check "wifi silent" 3 ctl wifi show && expect_err "wifi silent" "Wi-Fi module did not answer"
grep -q "processor.*stopped answering" "$work/err" && fail "wifi silent blamed the processor"

# Late and damaged replies are no other controller; a processor held by one is still refused.
for fault in "--delay 2000" "--corrupt 0.2"; do
    stop_sim
    # shellcheck disable=SC2086
    start_sim $fault --seed 5
    for k in 1 2 3; do
        ctl --timeout 30 get 28 >"$work/out" 2>"$work/err"
        status=$?
        if [ "$status" -eq 4 ] || grep -qE "another controller|occupied" "$work/err"; then
            echo "FAIL $fault run $k: taken for another controller (exit $status)"
            sed 's/^/  | /' "$work/err" | head -5
            failures=$((failures + 1))
        else
            echo "ok   $fault run $k (exit $status)"
            [ "$status" -eq 0 ] || sed 's/^/  | /' "$work/err" | head -5
        fi
    done
done

# A processor that vanishes in the middle of a batch ends it with 3, naming the lines that completed.
stop_sim
start_sim
printf 'set 28=501\nwait 8000\nset 28=502\n' >"$work/long.txt"
ctl --timeout 2 batch "$work/long.txt" >"$work/batch.out" 2>"$work/batch.err" &
batch_pid=$!
for _ in $(seq 100); do
    grep -q "line 1: ok" "$work/batch.out" && break
    sleep 0.1
done
stop_sim
wait "$batch_pid"
status=$?
if [ "$status" -ne 3 ] || ! grep -q "lines completed: 1$" "$work/batch.err"; then
    echo "FAIL batch lost: exit $status"
    sed 's/^/  | /' "$work/batch.out" "$work/batch.err" | head -10
    failures=$((failures + 1))
else
    echo "ok   batch lost"
fi
start_sim

# Several processors on USB are told apart by path (tested on the listing code); without any, the
# choice says so and a path that names nothing is refused.
if [ -z "$("$bin/velactl" list 2>/dev/null)" ]; then
    check "no usb" 3 "$bin/velactl" --device usb status && expect_err "no usb" "no processor found on USB"
    check "no usb path" 3 "$bin/velactl" --device usb:/dev/hidraw99 get 1
fi

# A processor that vanishes mid-command is reported lost at once, not after the timeout and more. It
# vanishes once the dump is under way (its frames in velasim's log), whatever the machine's load.
stop_sim
start_sim --verbose
"$bin/velactl" --device "$dev" --timeout 1 dump >"$work/out" 2>"$work/err" &
dump_pid=$!
for _ in $(seq 200); do
    [ "$(wc -l <"$work/sim.log")" -gt 40 ] && break
    sleep 0.05
done
stop_sim
wait "$dump_pid"
status=$?
if [ "$status" -ne 3 ]; then
    echo "FAIL lost: exit $status, expected 3"
    sed 's/^/  | /' "$work/out" "$work/err" | head -10
    failures=$((failures + 1))
else
    expect_err lost "lost|stopped answering"
fi

stop_sim
sim_pid=""
# --wait: a processor that appears a moment later is waited for (a nightly job survives an unplug).
wait_port=$(shuf -i 20000-60000 -n 1)
"$bin/velactl" --device "tcp:127.0.0.1:$wait_port" --timeout 5 --wait 30 status >"$work/wait.out" 2>"$work/wait.err" &
wait_pid=$!
sleep 1
"$bin/velasim" --listen "127.0.0.1:$wait_port" --state "$work/wait.state" 2>"$work/wait-sim.log" &
sim_pid=$!
wait "$wait_pid"
status=$?
if [ "$status" -ne 0 ] || ! grep -q "device id: 0x6201" "$work/wait.out"; then
    echo "FAIL wait: exit $status"
    sed 's/^/  | /' "$work/wait.out" "$work/wait.err" | head -10
    failures=$((failures + 1))
else
    echo "ok   wait"
fi
stop_sim
sim_pid=""

check "nobody listening" 3 "$bin/velactl" --device "$dev" --timeout 2 status && expect_err "nobody listening" "refused"

check "velasim version" 0 "$bin/velasim" --version && expect_out "velasim version" "^velasim [0-9]"
check "velasim unwritable state" 1 timeout 10 "$bin/velasim" --listen 127.0.0.1:1 --state "$work/no-such-folder/s.txt"
[ ! -e "$work/no-such-folder" ] || fail "velasim made a folder"

finish "velactl against velasim"
