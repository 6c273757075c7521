#!/usr/bin/env bash
# Before the Windows tests: does this machine's MinGW-w64 toolchain make programs that run
# under its Wine? Builds tools/wine-smoke/smoke.cpp (threads, Winsock, UDP on 127.0.0.1) and
# the dotted-address test with the cross-built GoogleTest, checks that they need no MinGW
# runtime DLL, and runs them under Wine; with the cross-built Qt also a Widgets window.
# Needs tools/build-win-deps.sh to have run. KVT_SMOKE_SHOT=file.png keeps the Qt window's image.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
cache=${KVT_WIN_DEPS:-$HOME/.cache/kvt640}
out=$(mktemp -d "${TMPDIR:-/tmp}/kvt-wine-smoke.XXXXXX")
trap 'rm -rf "$out"' EXIT
# shellcheck source=tools/wine-env.sh
source "$here/wine-env.sh"

cxx=x86_64-w64-mingw32-g++-posix
flags=(-std=c++20 -O2 -Wall -Wextra -Werror -static -Wl,--dynamicbase,--nxcompat,--high-entropy-va)
passed=0
failed=0
step() {
    local what=$1
    shift
    if "$@" >"$out/step.log" 2>&1; then
        echo "ok   $what"
        ((passed++))
    else
        echo "FAIL $what"
        sed 's/^/     /' "$out/step.log" | tail -20
        ((failed++))
    fi
}
only_system_dlls() {
    # A MinGW runtime DLL here would mean the static runtime flags did not take.
    ! x86_64-w64-mingw32-objdump -p "$1" | grep -iE 'DLL Name: (libstdc|libgcc|libwinpthread)'
}

step "build smoke.exe" "$cxx" "${flags[@]}" "$here/wine-smoke/smoke.cpp" -o "$out/smoke.exe" -lws2_32
step "smoke.exe needs no MinGW runtime DLL" only_system_dlls "$out/smoke.exe"
step "smoke.exe under wine" timeout 60 wine "$out/smoke.exe"

step "build the dotted-address test" "$cxx" "${flags[@]}" -I"$root/src" \
    -isystem "$cache/gtest-mingw/include" "$root/src/core/text/DottedAddress.cpp" \
    "$root/tests/core/DottedAddressTest.cpp" -L"$cache/gtest-mingw/lib" -lgtest_main -lgtest \
    -o "$out/dotted.exe"
step "dotted-address test under wine" timeout 60 wine "$out/dotted.exe"

# The cross-built Qt, once tools/build-win-deps.sh has made it: found through its CMake
# packages, and drawing Chinese text with the windows platform plugin under Xvfb.
if [[ -f $cache/qt6-mingw/.built ]]; then
    step "configure the Qt smoke program" cmake -S "$here/wine-smoke/qt" -B "$out/qt" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake"
    step "build the Qt smoke program" cmake --build "$out/qt"
    step "Qt window with Chinese text under wine (windows platform)" timeout 120 \
        xvfb-run -a -s "-screen 0 1024x768x24" wine "$out/qt/qt-smoke.exe" \
        "${KVT_SMOKE_SHOT:-$out/qt-smoke.png}"
else
    echo "skip Qt checks: $cache/qt6-mingw is not built yet"
fi

echo "wine smoke: $passed passed, $failed failed"
((failed == 0))
