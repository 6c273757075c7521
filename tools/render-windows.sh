#!/usr/bin/env bash
# Renders the desktop tool's search and report windows (with their status lines) and the busy
# window of each step to PNG files without a display, in Chinese and in English (-en), for a look
# at layout, column widths and the texts. Fails when a text, a list cell or a header is cut off,
# a list reaches past its window, or an English window shows a fixed text in Chinese.
#   tools/render-windows.sh [OUTPUT_DIR]   (default: build-render/windows)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KVT_BUILD_DIR:-build-render}
out=$(realpath -m "${1:-$build/windows}")
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" --target RenderWindowsTest -j2
mkdir -p "$out"
KVT_RENDER_DIR="$out" QT_QPA_PLATFORM=offscreen "$build/tests/gui/RenderWindowsTest"
ls -1 "$out"/*.png
