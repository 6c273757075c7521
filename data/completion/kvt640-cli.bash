# bash completion for kvt640-cli.
# Commands, options and their fixed values are read from the program's own --help along the
# command path typed so far, so the completion follows the program without a list of its own.

# _kvt640_cli_options HELP: one "NAME TYPE" line per option name; TYPE is - for a flag.
_kvt640_cli_options() {
    local line type name names
    while IFS= read -r line; do
        [[ $line =~ ^\ \ (-[^\ ]+)(\ ([^\ ]+))? ]] || continue
        names=${BASH_REMATCH[1]}
        type=${BASH_REMATCH[3]}
        [[ $type =~ ^[A-Z]+([:=].*)?$ && $type != REQUIRED ]] || type=-
        IFS=, read -ra names <<<"$names"
        for name in "${names[@]}"; do
            printf '%s %s\n' "$name" "$type"
        done
    done <<<"$1"
}

# _kvt640_cli_section HELP TITLE: the first word of each entry of a section such as
# "Subcommands:", with its type for "Positionals:".
_kvt640_cli_section() {
    local line inside=0
    while IFS= read -r line; do
        if [[ $line == "$2" ]]; then
            inside=1
        elif ((inside)); then
            [[ $line =~ ^\ \ ([^\ -][^\ ]*)(\ ([^\ ]+))? ]] || break
            printf '%s %s\n' "${BASH_REMATCH[1]}" "${BASH_REMATCH[3]}"
        fi
    done <<<"$1"
}

# _kvt640_cli_type OPTIONS NAME: the type of option NAME, empty when unknown.
_kvt640_cli_type() {
    local name type
    while read -r name type; do
        [[ $name == "$2" ]] && printf '%s' "$type" && return
    done <<<"$1"
}

_kvt640_cli() {
    local cur prev words cword split
    _init_completion -s || return

    local program=${words[0]} help options i word type
    help=$("$program" --help 2>/dev/null) || return
    # Options of every command on the path count: --lang is taken anywhere.
    options=$(_kvt640_cli_options "$help")
    local path=()
    for ((i = 1; i < cword; i++)); do
        word=${words[i]}
        if [[ $word == -* ]]; then
            type=$(_kvt640_cli_type "$options" "${word%%=*}")
            [[ $word != *=* && -n $type && $type != - ]] && ((i++))
        elif _kvt640_cli_section "$help" "Subcommands:" | grep -qxF -e "$word "; then
            path+=("$word")
            help=$("$program" "${path[@]}" --help 2>/dev/null) || return
            options+=$'\n'$(_kvt640_cli_options "$help")
        fi
    done

    type=$(_kvt640_cli_type "$options" "$prev")
    # A network card: the names the kernel knows, or all of them.
    if [[ $prev == --interface && -n $type ]]; then
        COMPREPLY=($(compgen -W "all $(command ls /sys/class/net 2>/dev/null)" -- "$cur"))
        return
    fi
    if [[ -n $type && $type != - ]]; then
        if [[ $type =~ \{(.*)\} ]]; then
            COMPREPLY=($(compgen -W "${BASH_REMATCH[1]//,/ }" -- "$cur"))
        elif [[ $type == *PATH* || $prev == -o || $prev == --output ]]; then
            _filedir
        fi
        return
    fi
    $split && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$(cut -d' ' -f1 <<<"$options" | sort -u)" -- "$cur"))
        return
    fi
    local commands
    commands=$(_kvt640_cli_section "$help" "Subcommands:" | cut -d' ' -f1)
    if [[ -n $commands ]]; then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    elif _kvt640_cli_section "$help" "Positionals:" | grep -qE '^INVENTORY '; then
        _filedir csv # an inventory is a CSV file
    elif _kvt640_cli_section "$help" "Positionals:" | grep -qE '^(FILE|IMAGE|A|B) |PATH'; then
        _filedir
    fi
} &&
    complete -F _kvt640_cli kvt640-cli
