# Shared by the CLI test scripts (sourced; not a test of its own): counts failures and runs the
# CLI with an expected exit status. Needs $cli and $work.
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# run EXPECTED-STATUS ARGS...: runs the CLI, keeping stdout and stderr in $work/out, $work/err.
run() {
    local expected=$1
    shift
    "$cli" "$@" >"$work/out" 2>"$work/err"
    local status=$?
    if [[ $status -ne $expected ]]; then
        fail "kvt640-cli $* exited $status, expected $expected (stderr: $(cat "$work/err"))"
        return 1
    fi
    return 0
}

# scratch_with_simulators: a scratch folder $work and the array sims (the pids start_sim adds);
# when the script exits the simulators are stopped and the folder removed.
scratch_with_simulators() {
    work=$(mktemp -d)
    sims=()
    trap stop_simulators_and_scratch EXIT
}
stop_simulators_and_scratch() {
    for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
    rm -rf "$work"
}

# own_loopback_block: sets $net to a 127.a.b prefix of this process's own (as the C++ tests
# derive theirs), so ctest -j runs the scripts in parallel.
own_loopback_block() {
    local a=$((($$ >> 8) & 255))
    ((a == 0)) && a=1
    net="127.$a.$(($$ & 255))"
}

# start_sim DISCOVERY-HOST DEVICE...: one simulator on $net.HOST (needs $sim and $net; its pid
# goes to the array sims); waits (bounded) until it answers.
start_sim() {
    local host=$1
    shift
    local args=(--quiet --discovery-address "$net.$host")
    for d in "$@"; do args+=(--device "$d"); done
    "$sim" "${args[@]}" 2>>"$work/sim.log" &
    sims+=($!)
    for _ in $(seq 1 10); do
        "$cli" search --broadcast "$net.$host" --bind "$net.201" >/dev/null 2>&1 && return 0
    done
    fail "simulator on $net.$host did not come up"
}

# bound PORT: waits (bounded) until someone listens on UDP $net.1:PORT.
bound() {
    for _ in $(seq 1 300); do
        ss -Hlun "src $net.1:$1" 2>/dev/null | grep -q . && return 0
        sleep 0.01
    done
    return 1
}
