#!/usr/bin/env bash
# Times velactl's light path against velasim on loopback, by hand: a get, a set of three values, and a
# batch of 50 sets, each RUNS times, with no loss and with one reply in ten lost. Prints the median and
# the slowest run in seconds. Usage: velactl_timing.sh BINDIR [RUNS]
set -u
bin=$1
runs=${2:-21}
work=$(mktemp -d)
sim_pid=""
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

start_sim() {  # start_sim PORT ARGS...
    local port=$1
    shift
    "$bin/velasim" --listen "127.0.0.1:$port" --state "$work/device.state" "$@" 2>"$work/sim.log" &
    sim_pid=$!
    for _ in $(seq 50); do
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && return 0
        sleep 0.1
    done
    echo "velasim did not start" >&2
    exit 1
}
stop_sim() {
    kill "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
    sim_pid=""
}

# time_runs LABEL COMMAND...: median and maximum wall time of RUNS runs; a failed run is counted too.
time_runs() {
    local label=$1
    shift
    local times=() failed=0
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s.%N)
        "$@" >/dev/null 2>&1 || failed=$((failed + 1))
        end=$(date +%s.%N)
        times+=("$(echo "$end - $start" | bc)")
    done
    printf '%s\n' "${times[@]}" | sort -n | awk -v label="$label" -v failed="$failed" '
        { t[NR] = $1 }
        END { printf "%-34s median %.3f s  max %.3f s  (%d runs, %d failed)\n", label, t[int((NR + 1) / 2)], t[NR], NR, failed }'
}

for i in $(seq 0 49); do echo "set $((300 + i))=$((1000 + i))"; done >"$work/fifty.txt"

port=$(shuf -i 20000-60000 -n 1)
for loss in 0 0.1; do
    start_sim "$port" --drop "$loss" --seed 3
    dev="tcp:127.0.0.1:$port"
    time_runs "get 28 (loss $loss)" "$bin/velactl" --device "$dev" get 28
    time_runs "set of three (loss $loss)" "$bin/velactl" --device "$dev" set 28=560 300=4660 301=7
    time_runs "batch of 50 sets (loss $loss)" "$bin/velactl" --device "$dev" batch "$work/fifty.txt"
    stop_sim
    port=$((port + 1))
done
