#!/usr/bin/env bash
# Renders the desktop tool's editor (every page, user and background configuration) and the
# device dialogs (save/download chooser, kind chooser, password, reset question, save-changes
# prompt) to PNG files without a display, in Chinese and in English (-en). Fails when a text is
# cut off or an English window shows a fixed text in Chinese.
#   tools/render-editor-windows.sh [OUTPUT_DIR]   (default: build-render/editor-windows)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KVT_BUILD_DIR:-build-render}
out=$(realpath -m "${1:-$build/editor-windows}")
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" --target RenderEditorWindowsTest -j2
mkdir -p "$out"
KVT_RENDER_DIR="$out" QT_QPA_PLATFORM=offscreen "$build/tests/gui/RenderEditorWindowsTest"
ls -1 "$out"/*.png
