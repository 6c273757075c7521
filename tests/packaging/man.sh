#!/usr/bin/env bash
# The CLI's man page lists every option of every command (nested ones included), as the
# command's --help shows them.
# Usage: man.sh PATH-TO-kvt640-cli MAN-PAGE (the unpacked roff source)
set -u
cli=${1:?usage: man.sh PATH-TO-kvt640-cli MAN-PAGE}
page=${2:?usage: man.sh PATH-TO-kvt640-cli MAN-PAGE}
# roff source to plain words: escaped hyphens and font changes undone.
text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$page")
failures=0 commands=0

subcommands() { "$cli" "$@" --help | sed -n '/^Subcommands:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p'; }
options() { "$cli" "$@" --help | sed -n 's/^  \(-[^ ]*\).*/\1/p' | tr ',' '\n' | grep -v -e '^--help$' -e '^-h$'; }

check_command() {
    commands=$((commands + 1))
    grep -qxF "$*" <<<"$text" || { echo "FAIL: no entry for '$*'"; failures=$((failures + 1)); }
    local option
    for option in $(options "$@"); do
        [[ $option == --version || $option == --lang ]] && continue  # the program's own
        # The entry runs from the command's name to the next command's name.
        if ! awk -v name="$*" -v opt="$option" '
                $0 == name { inside = 1; next }
                inside && /^[a-z][a-z-]*( [a-z][a-z-]*)?$/ { inside = 0 }
                inside { n = split($0, w, /[ ,]+/); for (i = 1; i <= n; i++) if (w[i] == opt) found = 1 }
                END { exit !found }' <<<"$text"; then
            echo "FAIL: '$*' option $option is not in the man page"
            failures=$((failures + 1))
        fi
    done
    local sub
    for sub in $(subcommands "$@"); do check_command "$@" "$sub"; done
}

for command in $(subcommands); do check_command "$command"; done
if ((commands < 12)); then
    echo "FAIL: only $commands commands found in the help"
    failures=$((failures + 1))
fi
if ((failures)); then
    echo "$failures failure(s)"
    exit 1
fi
echo "all $commands commands' options are in the man page"
