#!/usr/bin/env bash
# Installs, builds and runs every test: the Debian package of the optimised build (built,
# checked, installed, run and removed), the whole suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, the threaded tests again under ThreadSanitizer, every fuzz
# target briefly, then the Windows build under Wine. Ends with one summary line over all of it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
jobs=$(nproc)
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

# The optimised build that the demo uses: -O2 warns about things a debug build does not.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVT_BUILD_TESTS=OFF -DKVT_WERROR=ON \
    -DKVT_DOC_PICTURES=ON
cmake --build build -j "$jobs"
package_status=0
bash tools/test-package.sh build 2>&1 | tee "$logs/package.log" || package_status=$?

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKVT_SANITIZE=address -DKVT_WERROR=ON
cmake --build build-asan -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tools/lsan.supp
ctest --test-dir build-asan -j "$jobs" --output-on-failure 2>&1 | tee "$logs/asan.log"

bash tools/test-tsan.sh 2>&1 | tee "$logs/tsan.log"
fuzz_status=0
bash tools/fuzz-ci.sh 2>&1 | tee "$logs/fuzz.log" || fuzz_status=$?

# The Windows build (Qt for MinGW-w64 built once into ~/.cache/kvt640), checked under Wine.
windows_status=0
bash tools/test-windows.sh 2>&1 | tee "$logs/windows.log" || windows_status=$?

# ctest prints "N% tests passed, F tests failed out of T" per run; fuzz targets count one each.
read -r total failed < <(cat "$logs"/asan.log "$logs"/tsan.log |
    sed -nE 's/.* ([0-9]+) tests failed out of ([0-9]+)/\2 \1/p' |
    awk '{t += $1; f += $2} END {print t + 0, f + 0}')
targets=$(grep -c '^== fuzz_' "$logs/fuzz.log" || true)
findings=$(grep -c 'FINDING' "$logs/fuzz.log" || true)
# The package's checks count one each; a package stage that ended without its line, one failure.
read -r package_passed package_failed < <(
    sed -nE 's/^package checks: ([0-9]+) passed, ([0-9]+) failed$/\1 \2/p' "$logs/package.log") ||
    true
package_passed=${package_passed:-0}
package_failed=${package_failed:-1}
# The same for the Windows checks.
read -r windows_passed windows_failed < <(
    sed -nE 's/^windows checks: ([0-9]+) passed, ([0-9]+) failed$/\1 \2/p' "$logs/windows.log") ||
    true
windows_passed=${windows_passed:-0}
windows_failed=${windows_failed:-1}
passed=$((total - failed + targets - findings + package_passed + windows_passed))
echo "tests: $passed passed, $((failed + findings + package_failed + windows_failed)) failed"
if ((fuzz_status != 0)); then exit "$fuzz_status"; fi
if ((windows_status != 0)); then exit "$windows_status"; fi
exit "$package_status"
