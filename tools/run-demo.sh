#!/usr/bin/env bash
# Installs, builds, starts four simulated gateways on loopback and runs the tool against them:
# the desktop tool when a display is there, otherwise a CLI search followed by a read.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${KVT_SKIP_INSTALL:-0}" = 1 ] || bash tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVT_BUILD_TESTS=OFF
cmake --build build -j "$(nproc)"

state=$(mktemp -d)
sim=build/src/sim/kvt275r-sim
cli=build/src/cli/kvt640-cli
"$sim" --discovery-address 127.0.0.1 \
    --device "name=Line-1,ip=127.0.0.2,mac=02:4b:56:00:00:01,user-password=1234,fw=1.10,state=$state/line1.json" \
    --device "name=Line-2,ip=127.0.0.3,mac=02:4b:56:00:00:02,user-password=1234,admin-password=admin,state=$state/line2.json" \
    --device "name=Locked,ip=127.0.0.4,mac=02:4b:56:00:00:03,remote=forbid,state=$state/locked.json" \
    --device "name=Other,ip=127.0.0.5,mac=02:4b:56:00:00:04,product=123456" &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null; wait $sim_pid 2>/dev/null; rm -rf "$state"' EXIT
sleep 0.5

if [ -n "${DISPLAY:-}" ] && [ -x build/src/gui/kvt640 ]; then
    echo "Simulated gateways on 127.0.0.2-5 (user password 1234, administrator password admin)."
    echo "A download of a new 127.x address followed by the reset moves a gateway there."
    build/src/gui/kvt640 --broadcast 127.0.0.1
else
    echo "== search (no display: the command-line tool stands in for the desktop tool)"
    "$cli" search --broadcast 127.0.0.1
    echo "== read the user configuration of 127.0.0.2"
    "$cli" read --ip 127.0.0.2 --kind user --password 1234
    echo "== give Line-1 the address 127.0.0.6 (download with reset), then search again"
    "$cli" read --ip 127.0.0.2 --kind user --password 1234 -o "$state/line1.inf"
    iconv -f GBK -t UTF-8 "$state/line1.inf" | sed 's/^\(IP地址\t\t\)[0-9.]*/\1127.0.0.6/' |
        iconv -f UTF-8 -t GBK >"$state/line1-new.inf"
    "$cli" write --ip 127.0.0.2 "$state/line1-new.inf" --password 1234 --reset
    "$cli" search --broadcast 127.0.0.1
fi
