# Sourced by the velactl scripts. start_listening LOG WORD COMMAND... runs COMMAND in the background with
# every {port} in it replaced by a free loopback port, until LOG says WORD: started_pid and started_port
# are set; on failure it says so and returns 1.
start_listening() {
    local log=$1 word=$2 what=$3 port
    shift 2
    for port in $(shuf -i 20000-60000 -n 20); do
        # Emptied here, not by the child's redirection: a log left by an earlier run would otherwise say
        # WORD before this one does.
        : >"$log"
        "${@//\{port\}/$port}" 2>"$log" &
        started_pid=$!
        for _ in $(seq 50); do
            if grep -q "$word" "$log" 2>/dev/null; then
                started_port=$port
                return 0
            fi
            kill -0 "$started_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$started_pid" 2>/dev/null
        wait "$started_pid" 2>/dev/null
    done
    echo "FAIL could not start $what"
    cat "$log"
    return 1
}

# launch_velasim BINDIR LOG STATE [VELASIM OPTIONS...]: velasim_pid and velasim_port are set.
launch_velasim() {
    local bin=$1 log=$2 state=$3
    shift 3
    start_listening "$log" "listening" "$bin/velasim" --listen "127.0.0.1:{port}" --state "$state" "$@" || return 1
    velasim_pid=$started_pid
    velasim_port=$started_port
}
