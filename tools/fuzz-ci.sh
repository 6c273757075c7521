#!/usr/bin/env bash
# CI's short fuzzing pass: every target for a little while, so that a regression in a parser
# shows up on every submission.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/fuzz.sh "${KVT_FUZZ_SECONDS:-30}"
