#!/usr/bin/env bash
# Checks that the Qt Linguist files are in step with the sources and complete: the UI text
# table's file with the table (tools/gen_ui_text_ts.py), the windows' file with their tr()
# texts (as lupdate, target kvt_gui_lupdate, would write it), and no unfinished translation.
#   tools/check-translations.sh [LUPDATE]
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate=${1:-/usr/lib/qt6/bin/lupdate}
status=0
python3 tools/gen_ui_text_ts.py --check || status=1

windows=src/gui/translations/kvt640_en.ts
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp "$windows" "$tmp/"
"$lupdate" -silent -recursive src/gui -extensions cpp,h -I src -locations none \
    -ts "$tmp/kvt640_en.ts"
if ! diff -u "$windows" "$tmp/kvt640_en.ts"; then
    echo "$windows is not in step with the sources: build the target kvt_gui_lupdate and" \
         "translate what it adds" >&2
    status=1
fi
if grep -n 'type="unfinished"' src/gui/translations/*.ts >&2; then
    echo "unfinished translations above" >&2
    status=1
fi
exit "$status"
