#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of seconds
# (default 600) on a copy of its committed seed corpus. Findings land in fuzz-artifacts/.
#   tools/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
build=build-fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKVT_SANITIZE=address -DKVT_FUZZ=ON -DKVT_BUILD_GUI=OFF -DKVT_BUILD_TESTS=OFF \
    -DKVT_WERROR=ON >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for source in tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

mkdir -p fuzz-artifacts
status=0
for target in "${targets[@]}"; do
    name=${target#fuzz_}
    work=$(mktemp -d)
    [ -d "tests/fuzz/corpus/$name" ] && cp -r "tests/fuzz/corpus/$name/." "$work/"
    echo "== $target for ${seconds}s"
    if ! UBSAN_OPTIONS=halt_on_error=1 ASAN_OPTIONS=detect_leaks=1 \
        "$build/tests/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="fuzz-artifacts/$name-" -rss_limit_mb=4096 "$work" \
        >"fuzz-artifacts/$name.log" 2>&1; then
        echo "   FINDING: see fuzz-artifacts/$name.log"
        tail -30 "fuzz-artifacts/$name.log"
        status=1
    fi
    grep -E '^#[0-9]+ +DONE|stat::number_of_executed_units' "fuzz-artifacts/$name.log" | tail -2 |
        sed 's/^/   /'
    rm -rf "$work"
done
exit $status
