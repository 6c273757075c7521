#!/usr/bin/env bash
# Draws the user guide's pictures with the render tests and fails when a picture the guide
# names (images/NAME.png) was not drawn, so the guide never shows a window that is gone or
# renamed. With an output folder the pictures are kept there (the package installs them);
# without one they go to a temporary folder.
# Usage: guide_pictures.sh GUIDE OUTPUT-DIR|"" RENDER-PROGRAM...
set -uo pipefail
guide=${1:?usage: guide_pictures.sh GUIDE OUTPUT-DIR|"" RENDER-PROGRAM...}
out=${2?usage: guide_pictures.sh GUIDE OUTPUT-DIR|"" RENDER-PROGRAM...}
shift 2
if [[ -z $out ]]; then
    out=$(mktemp -d)
    trap 'rm -rf "$out"' EXIT
else
    # Only what this run draws: a picture left from an earlier run proves nothing.
    rm -rf "$out" && mkdir -p "$out" || exit 1
fi
if (($# == 0)); then
    echo "FAIL: no render program given"
    exit 1
fi
failures=0
for program in "$@"; do
    if ! KVT_RENDER_DIR=$out QT_QPA_PLATFORM=offscreen "$program" >"$out.log" 2>&1; then
        cat "$out.log"
        echo "FAIL: $program"
        failures=$((failures + 1))
    fi
    rm -f "$out.log"
done
mapfile -t named < <(grep -o 'images/[A-Za-z0-9_.-]*\.png' "$guide" | sort -u)
if ((${#named[@]} == 0)); then
    echo "FAIL: $guide names no picture"
    failures=$((failures + 1))
fi
for picture in "${named[@]}"; do
    if [[ ! -s $out/${picture#images/} ]]; then
        echo "FAIL: $guide shows $picture, which no render test draws"
        failures=$((failures + 1))
    fi
done
if ((failures)); then
    echo "$failures failure(s)"
    exit 1
fi
echo "all ${#named[@]} pictures of $guide drawn"
