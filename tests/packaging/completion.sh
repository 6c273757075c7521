#!/usr/bin/env bash
# The CLI's bash completion, run as bash runs it, against the built program: commands, nested
# commands, options of the command typed so far, fixed option values and file arguments.
# Usage: completion.sh COMPLETION-FILE PATH-TO-kvt640-cli
set -u
completion=${1:?usage: completion.sh COMPLETION-FILE PATH-TO-kvt640-cli}
cli=$(realpath "${2:?usage: completion.sh COMPLETION-FILE PATH-TO-kvt640-cli}")
source /usr/share/bash-completion/bash_completion
source "$completion"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

[[ $(complete -p kvt640-cli 2>/dev/null) == "complete -F _kvt640_cli kvt640-cli" ]] ||
    { echo "FAIL: completion not registered for kvt640-cli"; failures=$((failures + 1)); }

# check LINE EXPECTED WHY: completing LINE (the cursor at its end; "kvt640-cli" stands for the
# program under test) offers exactly EXPECTED (sorted, space-separated).
check() {
    local line=${1/#kvt640-cli/$cli} expected=$2 why=$3
    COMP_LINE=$line
    COMP_POINT=${#line}
    read -ra COMP_WORDS <<<"$line"
    [[ $line == *' ' ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _kvt640_cli kvt640-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | LC_ALL=C sort | tr '\n' ' ')
    got=${got% }
    if [[ $got != "$expected" ]]; then
        echo "FAIL: '$1' offered '$got', expected '$expected' ($why)"
        failures=$((failures + 1))
    fi
}

mkdir "$work/files" && touch "$work/files/line-1.inf" "$work/files/line-2.inf" "$work/files/plant.csv"
cd "$work/files" || exit 1

check "kvt640-cli " "apply batch diff enip image listen new read reset search show text write" \
    "every command, read from the program's help"
check "kvt640-cli se" "search" "a command's prefix"
check "kvt640-cli image " "build parse" "a command's own commands, from its help"
check "kvt640-cli --lang " "en zh" "the fixed values of a top-level option"
check "kvt640-cli read --kind " "background user" "the fixed values of a command's option"
check "kvt640-cli read --kind=b" "background" "the --option=value form"
check "kvt640-cli enip --kind " "background user" "the EtherNet/IP check's configuration kind"
check "kvt640-cli --lang en image parse --k" "--kind" \
    "an option and its value before the commands do not hide them"
check "kvt640-cli search --b" "--bind --broadcast" "the options of the command typed so far"
check "kvt640-cli new --kind user -" "--help --kind --lang --output --version -h -o" \
    "a command's options and the top-level ones it passes through"
check "kvt640-cli read --ip " "" "a free value is not guessed"
check "kvt640-cli show " "line-1.inf line-2.inf plant.csv" "a file argument"
check "kvt640-cli image build line-1.inf -o line-" "line-1.inf line-2.inf" \
    "a file option's value"
check "kvt640-cli text " "" "a numeric argument is not a file"
check "kvt640-cli batch " "plant.csv" "an inventory is a .csv file"
check "kvt640-cli diff line-1.inf " "line-1.inf line-2.inf plant.csv" \
    "either side of a diff may be a file"
cards=$(printf '%s\n' all $(command ls /sys/class/net) | LC_ALL=C sort | tr '\n' ' ')
check "kvt640-cli search --interface " "${cards% }" "the PC's network cards, or all"
check "kvt640-cli search --interface l" "$(command ls /sys/class/net | grep '^l' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')" \
    "a card's prefix"
check "kvt640-cli search --json " "" "a flag takes no value and search takes no argument"

if [[ $failures -ne 0 ]]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "all completion checks passed"
