#!/usr/bin/env bash
# The Windows build, checked under Wine: cross-builds build-win64/ with MinGW-w64 and runs its
# checks, each counted; the last line is "windows checks: N passed, M failed" (exit status 1
# when any failed). tools/build-win-deps.sh runs first only when its cache is missing.
#   KVT_WIN_BUILD  build folder (default build-win64 in the work tree)
#   KVT_WIN_JOBS   parallel jobs (default 2)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
cache=${KVT_WIN_DEPS:-$HOME/.cache/kvt640}
build=${KVT_WIN_BUILD:-$root/build-win64}
jobs=${KVT_WIN_JOBS:-2}
logs=$build/windows-checks
passed=0
failed=0
started=$SECONDS

# Installs what is missing and builds only what its cache lacks (seconds when all is there).
"$here/build-win-deps.sh" || { echo "windows checks: 0 passed, 1 failed"; exit 1; }
# Wine's programs draw on the display its first program found, so the screen comes first: a
# private Xvfb, and a wine server started on it (one left from a run without a display would
# give the desktop tool no windows).
display=:$((100 + RANDOM % 800))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null; kill "$xvfb" 2>/dev/null' EXIT
export DISPLAY=$display
wineserver -k 2>/dev/null && wineserver -w 2>/dev/null
# shellcheck source=tools/wine-env.sh
source "$here/wine-env.sh"
mkdir -p "$logs"

# check NAME COMMAND...: one counted check, its output in $logs/NAME.log (the end shown on failure).
check() {
    local name=$1
    shift
    local t0=$SECONDS
    if "$@" >"$logs/$name.log" 2>&1; then
        echo "ok   $name ($((SECONDS - t0)) s)"
        ((passed++))
    else
        echo "FAIL $name ($((SECONDS - t0)) s), see $logs/$name.log"
        tail -25 "$logs/$name.log" | sed 's/^/     /'
        ((failed++))
    fi
}

configure() {
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$root" -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" -DKVT_WERROR=ON \
        "${launcher[@]}"
}

# The test programs under Wine (ctest runs them through CMAKE_CROSSCOMPILING_EMULATOR). Every
# test counts as a check; a skipped one says why (what Wine or Windows cannot do) and counts as
# neither.
unit_tests() {
    local log=$logs/ctest.log
    # One at a time: under Wine a UDP socket of any loopback address takes its port on every
    # address, so the simulators of two test programs would clash on the fixed ports.
    ctest --test-dir "$build" -j1 --timeout 180 --output-on-failure >"$log" 2>&1
    local total failures skips
    total=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#' "$log")
    failures=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#.*\*\*\*(Failed|Timeout|Exception)' "$log")
    skips=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#.*\*\*\*Skipped' "$log")
    echo "ctest under wine: $total tests, $failures failed, $skips skipped ($logs/ctest.log)"
    # Why each was skipped: GoogleTest's message follows its "Skipped" line in ctest's log.
    tr -d '\r' <"$build/Testing/Temporary/LastTest.log" |
        awk '/^[0-9]+\/[0-9]+ Testing: /{name=$3} /: Skipped$/{getline why; print "     skip " name ": " why}'
    grep -E '^ *[0-9]+/[0-9]+ Test +#.*\*\*\*(Failed|Timeout|Exception)' "$log" |
        sed -E 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+).*\*\*\*([A-Za-z]+).*/FAIL \1 (\2)/'
    ((passed += total - failures - skips))
    ((failed += failures))
}

program() { find "$build/src" -name "$1" -print -quit; }

# A Chinese file name on the command line (UTF-8 through the manifest), the configuration file
# with its CR LF lines, and JSON on standard output with LF alone (binary standard output).
cli_bytes() {
    local cli dir
    cli=$(program kvt640-cli.exe)
    dir=$(mktemp -d "${TMPDIR:-/tmp}/kvt-win-cli.XXXXXX")
    wine "$cli" new --kind background -o "$dir/网关.inf" &&
        [[ -f $dir/网关.inf ]] && grep -q $'\r$' "$dir/网关.inf" &&
        wine "$cli" show --json "$dir/网关.inf" >"$dir/out.json" &&
        grep -q '"kind"' "$dir/out.json" && ! grep -q $'\r' "$dir/out.json"
    local status=$?
    rm -rf "$dir"
    return $status
}

# Ctrl+C (Wine turns SIGINT into the console's Ctrl+C event) stops the simulator cleanly.
sim_interrupt() {
    local sim out pid
    sim=$(program kvt275r-sim.exe)
    out=$(mktemp "${TMPDIR:-/tmp}/kvt-win-sim.XXXXXX")
    wine "$sim" --device ip=127.0.0.241,name=gw --discovery-address 127.0.0.241 \
        --discovery-port 26901 --device-port 26911 --enip-port 26921 >"$out" 2>&1 &
    pid=$!
    for _ in $(seq 50); do grep -q serving "$out" && break; sleep 0.2; done
    kill -INT "$pid"
    wait "$pid"
    local status=$?
    cat "$out"
    grep -q stopped "$out" && ((status == 0))
    status=$?
    rm -f "$out"
    return $status
}

# The CLI's test scripts with the Windows programs, each run through Wine by a small wrapper;
# a script that skips (status 77) says why and counts as neither.
cli_scripts() {
    local bin=$build/wine-bin script name status t0
    mkdir -p "$bin"
    for p in kvt640-cli kvt275r-sim; do
        printf '#!/bin/sh\nexec wine %q "$@"\n' "$(program "$p.exe")" >"$bin/$p"
        chmod +x "$bin/$p"
    done
    for script in "$root"/tests/cli/*.sh; do
        name=cli-$(basename "$script" .sh)
        t0=$SECONDS
        KVT_WINDOWS_PROGRAMS=1 timeout 400 bash "$script" "$bin/kvt640-cli" "$bin/kvt275r-sim" \
            >"$logs/$name.log" 2>&1 </dev/null
        status=$?
        if ((status == 0)); then
            echo "ok   $name ($((SECONDS - t0)) s)"
            ((passed++))
        elif ((status == 77)); then
            echo "skip $name: $(grep -m1 '^SKIP' "$logs/$name.log")"
        else
            echo "FAIL $name ($((SECONDS - t0)) s, status $status), see $logs/$name.log"
            grep -E '^FAIL' "$logs/$name.log" | head -10 | sed 's/^/     /'
            ((failed++))
        fi
        grep '^SKIPPED' "$logs/$name.log" | sed "s/^/     $name: /"
    done
}

check configure configure
check build cmake --build "$build" -j"$jobs"
if ((failed == 0)); then
    unit_tests
    cli_scripts
    check cli-bytes cli_bytes
    check sim-interrupt sim_interrupt
fi
# shellcheck source=tools/windows/installer-checks.bash
source "$here/windows/installer-checks.bash"
if ((failed == 0)); then
    installer_checks
fi

echo "windows build and tests: $((SECONDS - started)) s"
echo "windows checks: $passed passed, $failed failed"
((failed == 0))
