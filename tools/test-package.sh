#!/usr/bin/env bash
# Builds the Debian package from an optimised build directory and checks it: its contents and
# computed dependencies, lintian (no errors, no warnings without a reasoned override), then
# installs it with dpkg, validates the installed desktop entry and AppStream metainfo, runs the
# installed programs (versions, a search against the installed simulator on loopback, the
# desktop tool's start, the bash completion) and removes it again, also when a check failed.
# Ends with "package checks: N passed, M failed" and exits 1 when any check failed.
# Usage: test-package.sh [BUILD-DIR]   (default: build, as tools/test-all.sh configures it)
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
started=$SECONDS
passed=0
failed=0
pass() {
    echo "PASS: $*"
    passed=$((passed + 1))
}
fail() {
    echo "FAIL: $*"
    failed=$((failed + 1))
}
# check WHAT COMMAND...: one counted check; returns the command's success.
check() {
    local what=$1
    shift
    if "$@"; then
        pass "$what"
        return 0
    fi
    fail "$what"
    return 1
}
finish() {
    echo "package stage: $((SECONDS - started)) s"
    echo "package checks: $passed passed, $failed failed"
    [[ $failed -eq 0 ]]
    exit
}

# Someone's own installation is not ours to replace or remove.
state=$(dpkg-query -W -f='${db:Status-Status}' kvt640 2>/dev/null)
if [[ -n $state && $state != not-installed ]]; then
    fail "a kvt640 package is already on this machine ($state): not touching it; remove it" \
        "with 'dpkg --purge kvt640' to run this test"
    finish
fi
cache=$build/CMakeCache.txt
if ! grep -qx 'KVT_SANITIZE:STRING=' "$cache" 2>/dev/null; then
    fail "$build is not a configured build without sanitizers (see tools/test-all.sh)"
    finish
fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$cache")

work=$(mktemp -d)
sim=""
cleanup() {
    [[ -n $sim ]] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null
    if [[ $(dpkg-query -W -f='${db:Status-Status}' kvt640 2>/dev/null) == installed ]]; then
        $SUDO dpkg --purge kvt640 >/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# --- build (with the user guide's pictures, drawn from the windows)
rm -f "$build"/kvt640_*.deb
if ! cmake -S . -B "$build" -DKVT_DOC_PICTURES=ON >"$work/build.log" 2>&1 ||
    ! cmake --build "$build" >>"$work/build.log" 2>&1 ||
    ! (cd "$build" && cpack -G DEB) >"$work/cpack.log" 2>&1; then
    cat "$work/build.log" "$work/cpack.log"
    fail "build the package"
    finish
fi
deb=$(ls "$build"/kvt640_*.deb)
pass "build the package: $deb ($(stat -c %s "$deb") bytes)"
deb_version=$(dpkg-deb -f "$deb" Version)
check "package version $deb_version is CMake's $version" test "${deb_version%-*}" = "$version"

app=com.kelvarin.kvt640
expected=(
    usr/bin/kvt640 usr/bin/kvt640-cli usr/bin/kvt275r-sim
    usr/share/applications/$app.desktop usr/share/metainfo/$app.metainfo.xml
    usr/share/icons/hicolor/scalable/apps/$app.svg
    usr/share/man/man1/kvt640.1.gz usr/share/man/man1/kvt640-cli.1.gz
    usr/share/man/man1/kvt275r-sim.1.gz
    usr/share/bash-completion/completions/kvt640-cli
    usr/share/doc/kvt640/README.md usr/share/doc/kvt640/SECURITY.md
    usr/share/doc/kvt640/user-guide.md
    usr/share/doc/kvt640/copyright usr/share/doc/kvt640/changelog.Debian.gz
    usr/share/lintian/overrides/kvt640
)
for size in 16 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x$size/apps/$app.png")
done
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||' >"$work/contents"
missing=()
for path in "${expected[@]}"; do grep -qx "$path" "$work/contents" || missing+=("$path"); done
check "contents: programs, desktop entry, metainfo, icons, man pages, completion, docs" \
    test ${#missing[@]} -eq 0 || printf '  missing: %s\n' "${missing[@]}"

# The guide's pictures: every one it shows, and at least one.
pictures=()
for picture in $(grep -o 'images/[A-Za-z0-9_.-]*\.png' docs/user-guide.md | sort -u); do
    pictures+=("usr/share/doc/kvt640/$picture")
done
missing=()
for path in "${pictures[@]}"; do grep -qx "$path" "$work/contents" || missing+=("$path"); done
check "the user guide's ${#pictures[@]} pictures" \
    test ${#pictures[@]} -gt 0 -a ${#missing[@]} -eq 0 || printf '  missing: %s\n' "${missing[@]}"

# The dependencies come from the programs' libraries, not from a list.
depends=$(dpkg-deb -f "$deb" Depends)
echo "  Depends: $depends"
has_depends() { [[ $depends == *"libc6 "* && $depends == *"libqt6widgets6 "* ]]; }
check "dependencies computed from the programs (libc6, libqt6widgets6)" has_depends

# Each PNG is rendered at the size its folder names.
dpkg-deb -x "$deb" "$work/root"
wrong=0
for size in 16 32 48 64 128 256; do
    file "$work/root/usr/share/icons/hicolor/${size}x$size/apps/$app.png" |
        grep -q "PNG image data, $size x $size," || wrong=$((wrong + 1))
done
check "icon PNGs have the sizes of their folders" test $wrong -eq 0

# Shown with the overrides and their reasons; judged here, as lintian's own verdict would
# count the overridden warnings once they are shown.
lintian --fail-on none --display-info --show-overrides "$deb" >"$work/lintian.log" 2>&1
status=$?
sed 's/^/  /' "$work/lintian.log"
lintian_clean() { [[ $status -eq 0 ]] && ! grep -qE '^[EW]: ' "$work/lintian.log"; }
check "lintian: no errors, no warnings without an override" lintian_clean

# --- installed
if ! $SUDO dpkg -i "$deb" >"$work/dpkg.log" 2>&1; then
    cat "$work/dpkg.log"
    fail "install with dpkg -i"
    finish
fi
pass "install with dpkg -i"

# Clean: not even a hint (one main category, say).
validates_quietly() { local out; out=$(desktop-file-validate "$1" 2>&1) && [[ -z $out ]]; }
check "desktop-file-validate, without hints" validates_quietly "/usr/share/applications/$app.desktop"
check "appstreamcli validate" appstreamcli validate --no-net "/usr/share/metainfo/$app.metainfo.xml"
prints_version() { [[ $(env -u DISPLAY -u WAYLAND_DISPLAY "/usr/bin/$1" --version) == "$1 $version" ]]; }
has_man_page() { [[ $(man -w "$1") == "/usr/share/man/man1/$1.1.gz" ]]; }
for program in kvt640 kvt640-cli kvt275r-sim; do
    check "installed $program --version prints $version" prints_version "$program"
    check "man $program finds the installed page" has_man_page "$program"
done
check "bash completion, installed, against the installed program" \
    bash tests/packaging/completion.sh /usr/share/bash-completion/completions/kvt640-cli \
    /usr/bin/kvt640-cli

# A 127.a.b.0/24 block of this process's own, as the network tests pick theirs.
a=$((($$ >> 8) & 255))
((a == 0)) && a=1
net="127.$a.$(($$ & 255))"
/usr/bin/kvt275r-sim --quiet --discovery-address "$net.1" --device "name=PKG-GW,ip=$net.2" \
    2>"$work/sim.log" &
sim=$!
found=1
for _ in $(seq 1 20); do
    /usr/bin/kvt640-cli search --broadcast "$net.1" --bind "$net.200" >"$work/search" 2>&1 &&
        found=0 && break
    sleep 0.2
done
sed 's/^/  /' "$work/search"
found_gateway() { [[ $found -eq 0 ]] && grep -q $'\tPKG-GW\tKVT-275R\t'"$net.2"$'\t' "$work/search"; }
check "installed kvt640-cli finds the installed simulator's gateway" found_gateway

# The desktop tool starts and keeps running (offscreen, searching only our loopback block):
# still running when the time is up means it got past loading its libraries and plugins.
QT_QPA_PLATFORM=offscreen timeout 5 /usr/bin/kvt640 --broadcast "$net.1" \
    --local-address "$net.201" >"$work/gui.log" 2>&1
status=$?
check "installed kvt640 starts and runs (offscreen)" test $status -eq 124 ||
    sed 's/^/  /' "$work/gui.log"
kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null
sim=""

# --- removed again
$SUDO dpkg --purge kvt640 >"$work/dpkg.log" 2>&1
removed() {
    [[ $(dpkg-query -W -f='${db:Status-Status}' kvt640 2>/dev/null) != installed &&
        ! -e /usr/bin/kvt640-cli && ! -e /usr/share/applications/$app.desktop ]]
}
check "removed again: no package, no programs left" removed
finish
