#!/usr/bin/env bash
# Builds the network tests under ThreadSanitizer and runs the threaded ones: the report
# listener (its own thread), the searches (against the simulator's threads, on loopback and
# across network namespaces where they can be made), the waits cancelled from another thread
# and the batches' worker threads.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${KVT_JOBS:-$(nproc)}
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKVT_SANITIZE=thread \
    -DKVT_BUILD_GUI=OFF -DKVT_WERROR=ON
cmake --build build-tsan -j "$jobs" --target kvt_net_tests
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
ctest --test-dir build-tsan -R 'ReportListener|Search|TwoCards|Cancel|FleetBatch' -j "$jobs" --output-on-failure
