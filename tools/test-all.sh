#!/usr/bin/env bash
# Installs, builds and runs every test: the whole suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the threaded tests again under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
jobs=$(nproc)

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKVT_SANITIZE=address
cmake --build build-asan -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tools/lsan.supp
ctest --test-dir build-asan -j "$jobs" --output-on-failure

if [ -x tools/test-tsan.sh ]; then bash tools/test-tsan.sh; fi
if [ -x tools/fuzz-ci.sh ]; then bash tools/fuzz-ci.sh; fi
