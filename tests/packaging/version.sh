#!/usr/bin/env bash
# Every program reports the version that CMake's project() sets, and answers --version and
# --help without a display: the man pages are made from both while building.
# Usage: version.sh VERSION PROGRAM...
set -u
version=${1:?usage: version.sh VERSION PROGRAM...}
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

for program in "$@"; do
    name=$(basename "$program")
    for option in --version --help; do
        # No display, and a platform that needs one: a program that started Qt before
        # answering would abort here.
        env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$program" "$option" \
            >"$work/out" 2>"$work/err"
        status=$?
        [[ $status -eq 0 ]] || fail "$name $option exited $status: $(head -c 300 "$work/err")"
        [[ -s $work/err ]] && fail "$name $option wrote to stderr: $(head -c 300 "$work/err")"
    done
    # Only the last run's output is kept: check --version's separately.
    "$program" --version >"$work/version" 2>/dev/null
    [[ $(cat "$work/version") == "$name $version" ]] ||
        fail "$name --version printed '$(cat "$work/version")', expected '$name $version'"
    grep -q "^Usage: $name " "$work/out" || fail "$name --help has no usage line"
done

if [[ $failures -ne 0 ]]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "all version checks passed ($# programs)"
