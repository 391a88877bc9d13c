# Sourced by the velactl scripts once they have set work (their scratch folder). A checked command's output
# lands in $work/out and $work/err for the expectations after it; every miss is counted in failures.
failures=0

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
