#!/usr/bin/env bash
# Checks that the text catalogue covers the desktop tool: every tr() text of the windows has its
# English there and every window text there is still used (tools/gen_ui_text_ts.py --check, as
# the build runs it).
#   tools/check-translations.sh [LUPDATE]
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate=${1:-/usr/lib/qt6/bin/lupdate}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$lupdate" -silent -recursive src/gui -extensions cpp,h -I src -locations none -ts "$tmp/found.ts"
python3 tools/gen_ui_text_ts.py --windows "$tmp/found.ts" --out "$tmp" --check
