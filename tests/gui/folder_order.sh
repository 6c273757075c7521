#!/bin/bash
# The desktop tool's folders stand in one order, bottom to top; a file may include its own
# folder and those below it, never one above. A folder missing from the list fails too, so
# that a new one gets its place. Usage: folder_order.sh SOURCE_FOLDER
set -u
src=${1:?usage: folder_order.sh SOURCE_FOLDER}
order=(base widgets files editor device discovery app)

rank() {
    local i
    for i in "${!order[@]}"; do
        [ "${order[$i]}" = "$1" ] && { echo "$i"; return; }
    done
    echo -1
}

status=0
checked=0
for dir in "$src"/gui/*/; do
    folder=$(basename "$dir")
    [ "$folder" = translations ] && continue
    own=$(rank "$folder")
    if [ "$own" -lt 0 ]; then
        echo "src/gui/$folder/ has no place in the order: add it to $0 and the README"
        status=1
        continue
    fi
    while IFS=: read -r file line text; do
        [ -n "$file" ] || continue
        included=$(sed -E 's#.*"gui/([^/]+)/.*#\1#' <<<"$text")
        checked=$((checked + 1))
        if [ "$(rank "$included")" -gt "$own" ]; then
            echo "${file#"$src"/}:$line: $folder/ includes $included/, which stands above it"
            status=1
        fi
    done < <(grep -rnE --include='*.cpp' --include='*.h' \
                 '^[[:space:]]*#[[:space:]]*include[[:space:]]*"gui/[^/]+/' "$dir")
done
# A pattern that matches nothing would pass everything.
if [ "$checked" -eq 0 ]; then
    echo "no include of a gui folder found under $src/gui"
    exit 1
fi
[ "$status" -eq 0 ] && echo "src/gui folders in order (bottom to top): ${order[*]}"
exit "$status"
