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
