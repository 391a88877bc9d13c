#!/usr/bin/env bash
# Idle CPU of vela.exe under Wine and Xvfb, page by page, by hand: starts build/windows/src/vela.exe against
# its built-in virtual processor, waits until it is loaded, then for each round shows every page in turn and
# measures the CPU time the process uses over SECONDS of idle (after a short settle). Pages are measured in the
# same run, interleaved, so that the machine's load falls on all of them alike; compare them within one run.
# Also prints Xvfb and wineserver, which do the screen's and the messages' share of the work.
#
#   bench/idle_cpu.sh [SECONDS] [ROUNDS]      (defaults 20 and 2; needs the windows preset built)
#   VELA_EXE=other/vela.exe bench/idle_cpu.sh  measures another build
#
# Output: one line per page and round, then per page the median over rounds, in % of one core, and each page's
# figure as a multiple of the System page's. Commands: Wine, Xvfb, MinGW-w64's g++ (for the small helper that
# switches tabs) and coreutils.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-20}
rounds=${2:-2}
settle=3
# tab:name, System first (the reference)
pages=("7:System" "3:Music (input strip)" "0:Main (output strip)" "5:Echo (effect)")

exe=${VELA_EXE:-$root/build/windows/src/vela.exe}
[ -f "$exe" ] || { echo "idle_cpu: no $exe; build the windows preset first" >&2; exit 1; }
helper_dir=$root/build/idle-cpu
mkdir -p "$helper_dir"
helper=$helper_dir/show_tab.exe
if [ ! -f "$helper" ] || [ "$root/bench/idle_cpu_show_tab.cpp" -nt "$helper" ]; then
    x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -municode -static -I"$root" -I"$root/src" -I"$(dirname "$exe")/../generated" \
        "$root/bench/idle_cpu_show_tab.cpp" -o "$helper"
fi

# shellcheck source=tools/wine-env.sh
source tools/wine-env.sh
vela_pid=""
server_pid=""
cleanup() {
    [ -n "$vela_pid" ] && kill "$vela_pid" 2>/dev/null && wait "$vela_pid" 2>/dev/null
    vela_stop_wine
    [ -n "$server_pid" ] && wait "$server_pid" 2>/dev/null
    return 0
}
trap cleanup EXIT
VELA_HEADLESS=1 vela_start_xvfb
[ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] || { echo "idle_cpu: Xvfb did not start" >&2; exit 1; }
timeout 300 bash -c "source tools/wine-env.sh; vela_make_prefix" >/dev/null
# Our own server in the foreground, so that its process is known.
wineserver -k >/dev/null 2>&1 || true
wineserver -f -p </dev/null >/dev/null 2>&1 &
server_pid=$!
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

# n thousandths as a decimal
percent() { printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)); }

# CPU time in ns of every thread of a process (the Wine loader execs into vela.exe under the same id).
cpu_ns() {
    local sum=0 t
    for t in /proc/"$1"/task/*/schedstat; do
        read -r run _ <"$t" 2>/dev/null && sum=$((sum + run))
    done
    echo "$sum"
}

wine "$exe" --device sim </dev/null >/dev/null 2>&1 &
vela_pid=$!
wine "$helper" 7 </dev/null >/dev/null 2>&1 || { echo "idle_cpu: the main window did not appear" >&2; exit 1; }
# Plug-in to loaded takes about 2.5 s, the pause after loading 1 s more; Wine's start and a busy machine more.
sleep 12

echo "idle CPU, % of one core over ${seconds} s per page, $rounds rounds; $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
declare -A figures
for round in $(seq "$rounds"); do
    for page in "${pages[@]}"; do
        tab=${page%%:*}
        name=${page#*:}
        wine "$helper" "$tab" </dev/null >/dev/null 2>&1
        sleep "$settle"
        v0=$(cpu_ns "$vela_pid") x0=$(cpu_ns "$VELA_XVFB_PID") s0=$(cpu_ns "$server_pid")
        t0=$(date +%s%N)
        sleep "$seconds"
        v1=$(cpu_ns "$vela_pid") x1=$(cpu_ns "$VELA_XVFB_PID") s1=$(cpu_ns "$server_pid")
        t1=$(date +%s%N)
        # thousandths of a percent of one core
        vela=$(((v1 - v0) * 100000 / (t1 - t0))) xvfb=$(((x1 - x0) * 100000 / (t1 - t0)))
        server=$(((s1 - s0) * 100000 / (t1 - t0)))
        figures[$name]="${figures[$name]:-} $vela"
        printf 'round %d  %-22s vela.exe %7s %%   Xvfb %7s %%   wineserver %7s %%\n' \
            "$round" "$name" "$(percent "$vela")" "$(percent "$xvfb")" "$(percent "$server")"
    done
done
kill -0 "$vela_pid" 2>/dev/null || { echo "idle_cpu: vela.exe ended during the run" >&2; exit 1; }

median() {  # of whitespace-separated integers
    local sorted
    mapfile -t sorted < <(tr ' ' '\n' | grep . | sort -n)
    local n=${#sorted[@]}
    if ((n % 2)); then echo "${sorted[n / 2]}"; else echo $(((sorted[n / 2 - 1] + sorted[n / 2]) / 2)); fi
}
reference=$(median <<<"${figures[System]}")
echo "median over rounds (vela.exe):"
for page in "${pages[@]}"; do
    name=${page#*:}
    m=$(median <<<"${figures[$name]}")
    ratio=$((reference > 0 ? m * 100 / reference : 0))
    printf '  %-22s %7s %%   %d.%02d x System\n' "$name" "$(percent "$m")" $((ratio / 100)) $((ratio % 100))
done
