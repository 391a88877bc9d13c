#!/usr/bin/env bash
# Runs every sh example of the README's velactl section, twice (a recipe must survive its second run, as
# a nightly job does), against velasim instances standing in for the rooms the examples name. A block
# fails on a non-zero status or any line velactl or the example reports on stderr.
# Usage: readme_examples.sh BINDIR README
set -u
bin=$(cd "$1" && pwd)
readme=$2
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null && wait "$p" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT

sims=()
source "$(dirname "$0")/velasim_start.sh"
start_sim() {  # start_sim NAME: a velasim on a free loopback port; its device text goes to sims
    launch_velasim "$bin" "$work/$1.log" "$work/$1.state" || exit 1
    pids+=("$velasim_pid")
    sims+=("tcp:127.0.0.1:$velasim_port")
}
for room in a b c; do start_sim "$room"; done

# The blocks: ```sh ... ``` between "## velactl" and the next "## " heading.
mkdir -p "$work/blocks"
python3 - "$readme" "$work/blocks" <<'PY'
import sys
inside = code = False
n = 0
out = None
for line in open(sys.argv[1], encoding="utf-8"):
    line = line.rstrip("\n")
    if line.startswith("## ") and not code:
        inside = line.startswith("## velactl")
    elif inside and line == "```sh":
        n += 1
        out = open(f"{sys.argv[2]}/{n:02d}.sh", "w", encoding="utf-8")
        code = True
    elif code and line == "```":
        out.close()
        code = False
    elif code:
        print(line, file=out)
PY
count=$(ls "$work/blocks" | wc -l)
[ "$count" -ge 4 ] || { echo "FAIL found only $count examples in $readme"; exit 1; }

# The processors the examples name (usb:1-1, tcp:10.0.0.12:4357, ...) are the velasim instances, the
# first one named the first instance, and so on.
sed_rooms="$work/rooms.sed"
grep -ohE "usb:[0-9][-0-9.]*|tcp:[0-9.]+:[0-9]+" "$work/blocks"/*.sh |
    python3 -c '
import sys
sims = sys.argv[1:]
seen = []
for word in sys.stdin.read().split():
    if word not in seen:
        seen.append(word)
for k, word in enumerate(seen):
    print("s#%s#%s#g" % (word.replace(".", "\\."), sims[k % len(sims)]))
' "${sims[@]}" >"$sed_rooms"
for block in "$work/blocks"/*.sh; do sed -i -f "$sed_rooms" "$block"; done

mkdir -p "$work/home" "$work/run"
failures=0
for round in 1 2; do
    for block in "$work/blocks"/*.sh; do
        name="example $(basename "$block" .sh) (run $round)"
        (cd "$work/run" && env -u XDG_CONFIG_HOME -u VELA_DEVICE HOME="$work/home" PATH="$bin:$PATH" \
            bash -e "$block") >"$work/out" 2>"$work/err"
        status=$?
        # The device's own messages ("vela: ...") may come; anything else on stderr is a failure told.
        if [ "$status" -ne 0 ] || grep -qv "^vela: " "$work/err"; then
            echo "FAIL $name: exit $status"
            sed 's/^/  | /' "$block" | head -20
            sed 's/^/  > /' "$work/out" "$work/err" | head -20
            failures=$((failures + 1))
        else
            echo "ok   $name"
        fi
    done
done

# What the examples promise: values in units, the raw words, the nightly diff and the rooms' levels.
check_file() {  # check_file NAME FILE PATTERN
    if ! grep -qE "$3" "$2"; then
        echo "FAIL $1: $2 lacks /$3/"
        failures=$((failures + 1))
    fi
}
check_file "backup kept" "$work/run/backup/last.lub" "."
[ -f "$work/run/backup/changes.txt" ] || { echo "FAIL the second night wrote no changes file"; failures=$((failures + 1)); }
levels=$("$bin/velactl" --device "${sims[2]}" --timeout 5 get master.effect mic.volb)
[ "$levels" = "$(printf 'master.effect 40 %%\nmic.volb 70 %%')" ] || { echo "FAIL room levels: $levels"; failures=$((failures + 1)); }
words=$("$bin/velactl" --device "${sims[0]}" --timeout 5 get 256 344 28)
[ "$words" = "$(printf '256 470\n344 1000\n28 560')" ] || { echo "FAIL raw words: $words"; failures=$((failures + 1)); }

echo "README examples: $failures failed"
[ "$failures" -eq 0 ]
