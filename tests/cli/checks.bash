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

# bound PORT: waits (bounded) until someone listens on UDP $net.1:PORT (under Wine, which binds
# a loopback UDP socket to every address: on 0.0.0.0:PORT).
bound() {
    for _ in $(seq 1 300); do
        ss -Hlun "sport = :$1" 2>/dev/null | grep -qE "($net.1|0\.0\.0\.0[^ ]*):$1 " && return 0
        sleep 0.01
    done
    return 1
}

# The programs under test are Windows ones run through Wine (tools/test-windows.sh says so).
# There a datagram leaves from 127.0.0.1 whatever loopback address its socket was bound to, and a
# file has an access list for its owner instead of permission bits (the unit tests check it).
windows_programs() { [[ ${KVT_WINDOWS_PROGRAMS:-} == 1 ]]; }

# mode_is MODE FILE: the file's permission bits are MODE (not asked of Windows programs).
mode_is() {
    windows_programs || [[ $(stat -c %a "$2" 2>/dev/null) == "$1" ]]
}

# sent_from ADDRESS: the address a datagram from a socket bound to ADDRESS comes from.
sent_from() {
    if windows_programs; then echo 127.0.0.1; else echo "$1"; fi
}
