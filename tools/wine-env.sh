#!/usr/bin/env bash
# Wine for running the Windows build's programs and tests. Source it:
#   source tools/wine-env.sh
# It sets a 64-bit WINEPREFIX under the dependency cache (made once with `wineboot -i`),
# silences Wine's debug channels, puts the shipped DLLs (libcsv, Qt) on WINEPATH and starts a
# persistent wine server. The server is started here, detached and with its output sent away:
# started on demand by the first test instead, it would hold ctest's output pipes open and every
# test would wait for it to exit (seconds each).
kvt_win_deps=${KVT_WIN_DEPS:-$HOME/.cache/kvt640}
export WINEPREFIX=${KVT_WINEPREFIX:-$kvt_win_deps/wine64}
export WINEARCH=win64
# Wine writes Windows file names to the disk in the Unix locale's character set: in the C locale
# a Chinese file name cannot be made at all. A machine without a locale set (CI) gets C.UTF-8.
if [[ $(locale charmap 2>/dev/null) != UTF-8 ]]; then
    export LC_ALL=C.UTF-8
fi
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts: nothing of ours uses .NET or HTML.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
kvt_wine_path() { printf 'Z:%s' "${1//\//\\}"; }
export WINEPATH="$(kvt_wine_path "$kvt_win_deps/libcsv-mingw/bin");$(kvt_wine_path "$kvt_win_deps/qt6-mingw/bin")"

if [[ ! -f $WINEPREFIX/system.reg ]]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    echo "wine-env: making $WINEPREFIX (once)" >&2
    # The server that wineboot starts writes to this log, never to a caller's pipes.
    wineboot -i >"$kvt_win_deps/wineboot.log" 2>&1 </dev/null
    # wineboot's server lingers a few seconds: the persistent one below would find it running and
    # return, and every later program would start a server and Wine's services of its own.
    wineserver -w
fi
# -p: the server stays until `wineserver -k`, so programs start without a server start-up; when
# one runs already this returns at once.
setsid wineserver -p >/dev/null 2>&1 </dev/null &
wineserver_started=$!
wait "$wineserver_started" 2>/dev/null || true
unset wineserver_started
# The first program of a session starts Wine's own services (services.exe, winedevice, ...),
# which inherit that program's output: started here with it sent away, they never hold a
# caller's pipe (cmake's test listing and ctest would wait for them until their time-out).
timeout 120 wine cmd /c exit >/dev/null 2>&1 </dev/null || true
