# Sourced first by the velactl scripts. Makes their scratch folder work, removed at exit together with the
# processes a script's stop_at_exit names. A checked command's output lands in $work/out and $work/err for
# the expectations after it; every miss is counted in failures.
work=$(mktemp -d)
failures=0

stop_at_exit() { :; }  # redefined by a script that starts servers: prints their process ids
cleanup() {
    local p
    for p in $(stop_at_exit); do
        kill "$p" 2>/dev/null && wait "$p" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {  # fail MESSAGE: counts a failure and shows what the last checked command printed
    echo "FAIL $1"
    sed 's/^/  | /' "$work/out" "$work/err" 2>/dev/null | head -20
    failures=$((failures + 1))
}

check() {  # check NAME EXPECTED_STATUS COMMAND...
    local name=$1 expected=$2 status
    shift 2
    "$@" >"$work/out" 2>"$work/err"
    status=$?
    if [ "$status" -ne "$expected" ]; then
        fail "$name: exit $status, expected $expected"
        return 1
    fi
    echo "ok   $name"
}

expect() {  # expect NAME FILE PATTERN; a FILE named without a folder is one of $work's (out, err)
    local file=$2
    [[ $file == */* ]] || file=$work/$file
    if ! grep -qE "$3" "$file"; then
        echo "FAIL $1: $2 lacks /$3/"
        sed 's/^/  | /' "$file" 2>/dev/null | head -10
        failures=$((failures + 1))
    fi
}
expect_out() { expect "$1" out "$2"; }
expect_err() { expect "$1" err "$2"; }

finish() {  # finish TITLE: prints the count; the script's status is whether nothing failed
    echo "$1: $failures failed"
    [ "$failures" -eq 0 ]
}
