# Sourced by the velactl scripts. launch_velasim BINDIR LOG STATE [VELASIM OPTIONS...] starts velasim on a
# free loopback port and waits until it listens: velasim_pid and velasim_port are set; on failure it says
# so and returns 1.
launch_velasim() {
    local bin=$1 log=$2 state=$3 port
    shift 3
    for port in $(shuf -i 20000-60000 -n 20); do
        # Emptied here, not by the child's redirection: a log left by an earlier velasim would otherwise
        # say "listening" before this one does.
        : >"$log"
        "$bin/velasim" --listen "127.0.0.1:$port" --state "$state" "$@" 2>"$log" &
        velasim_pid=$!
        for _ in $(seq 50); do
            if grep -q "listening" "$log" 2>/dev/null; then
                velasim_port=$port
                return 0
            fi
            kill -0 "$velasim_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$velasim_pid" 2>/dev/null
        wait "$velasim_pid" 2>/dev/null
    done
    echo "FAIL could not start velasim"
    return 1
}
