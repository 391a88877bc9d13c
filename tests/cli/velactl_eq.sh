#!/usr/bin/env bash
# velactl eq against velasim: a measured filter list imported into strips, read back from the device, exported
# and imported again; refused lists leave the device as it was. Usage: velactl_eq.sh BINDIR
set -u
bin=$1
source "$(dirname "$0")/checks.sh"
sim_pid=""
stop_at_exit() { echo $sim_pid; }

source "$(dirname "$0")/velasim_start.sh"
launch_velasim "$bin" "$work/sim.log" "$work/device.state" || exit 1
sim_pid=$velasim_pid
port=$velasim_port
ctl() { "$bin/velactl" --device "tcp:127.0.0.1:$port" --timeout 5 "$@"; }

printf '%s\r\n' 'Filter Settings file' 'Preamp: -6.4 dB' \
    'Filter 1: ON PK Fc 105 Hz Gain -3.5 dB Q 0.70' \
    'Filter  2: ON  LSC      Fc   80.00 Hz  Gain   4.00 dB  Q  0.707' \
    'Filter 3: ON HS Fc 8000 Hz Gain -2.5 dB' \
    'Filter 4: ON PK Fc 2,37 kHz Gain 3.6 dB BW Oct 0.5' \
    'Filter 5: OFF PK Fc 1000 Hz Gain 0 dB Q 1' 'Filter 6: ON None' >"$work/room.txt"

# Imported, then read from the device: bands in order of frequency, the rest flat at their RESET frequency.
check "import into main" 0 ctl eq import "$work/room.txt" --channel main --bank sing
expect "report" out "^band 1: LSC 80.0 Hz \+4.0 dB Q 0.71 \(line 4\) -> LSC 80.3 Hz \+4.0 dB Q 0.71$"
expect "report" out "^preamp -6.4 dB not applied"
expect "report" out "^largest difference 0\.[0-9]+ dB"
check "device holds it" 0 ctl --raw --bank sing get main.eq1.type main.eq1.freq main.eq1.gain main.eq1.q \
    main.eq3.freq main.eq3.q main.eq5.type main.eq5.freq main.eq5.gain main.eq5.q
[ "$(tr '\n' ' ' <"$work/out")" = "main.eq1.type 6 main.eq1.freq 33571 main.eq1.gain 540 main.eq1.q 71 main.eq3.freq 2380 main.eq3.q 280 main.eq5.type 7 main.eq5.freq 2520 main.eq5.gain 500 main.eq5.q 100 " ] ||
    fail "device values: $(tr '\n' ' ' <"$work/out")"

# Standard input, an input strip of 15 bands, JSON.
check "import from stdin as JSON" 0 ctl eq import - --channel mica --json <"$work/room.txt"
python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); assert d["written"] and len(d["bands"]) == 15 and d["preamp_db"] == -6.4' "$work/out" ||
    fail "JSON report"

# Export, import back, export again: the same file, the same values.
printf 'Filter %d: ON PK Fc %s Hz Gain %s dB Q %s\n' 1 40 -1 2 2 90 2 0.5 3 300 -4 1.4 4 1000 1.5 3 5 3000 -2 0.9 \
    6 9000 3 0.71 7 16000 -6 5 >"$work/seven.txt"
check "import seven bands into sub" 0 ctl eq import "$work/seven.txt" --channel sub
check "export sub" 0 ctl eq export --channel sub "$work/sub.txt"
check "import the export" 0 ctl eq import "$work/sub.txt" --channel sub
expect "exported exactly" out "^largest difference 0.00 dB"
check "export again" 0 ctl eq export --channel sub -
cmp -s "$work/out" "$work/sub.txt" || fail "second export differs from the first"

# Refusals leave the device as it was.
check "dump before" 0 ctl dump
cp "$work/out" "$work/before"
printf 'Filter 1: ON PK Fc 100 Hz Gain 1 dB Q 1\nFilter 2: ON LP Fc 100 Hz\n' >"$work/lp.txt"
check "low-pass refused" 2 ctl eq import "$work/lp.txt" --channel main
expect "line named" err "lp.txt: line 2: filter type LP is not supported"
printf 'Filter 1: ON PK Fc 100 Hz Gain 15 dB Q 1\n' >"$work/loud.txt"
check "gain out of range refused" 2 ctl eq import "$work/loud.txt" --channel rear
expect "range named" err "line 1: Gain \+15.0 dB is outside the strip's -24.0 .. \+12.0 dB"
check "too many filters refused" 2 ctl eq import "$work/seven.txt" --channel echo
expect "counts named" err "the list has 7 filters; the echo strip has 5 bands"
check "another kind of file refused" 2 ctl eq import "$work/before" --channel main
expect "not a list" err "not a filter list"
check "dry run" 0 ctl eq import "$work/seven.txt" --channel music --dry-run
expect "dry run said" out "nothing written"
check "missing file" 5 ctl eq import "$work/none.txt" --channel main
check "export into a folder" 5 ctl eq export --channel main "$work"
check "dump after" 0 ctl dump
cmp -s "$work/out" "$work/before" || fail "a refused import changed the device"

check "clamped" 0 ctl eq import "$work/loud.txt" --channel rear --clamp
expect "clamp said" out "gain clamped"
check "clamp held" 0 ctl --raw get rear.eq1.gain
expect "clamp value" out "^rear.eq1.gain 620$"

check "no device" 3 "$bin/velactl" --device tcp:127.0.0.1:1 --timeout 2 eq import "$work/room.txt" --channel main

finish "velactl eq"
