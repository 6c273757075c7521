#!/usr/bin/env bash
# Readdressing a batch of simulated gateways with kvt640-cli and verifying it end to end: each
# device is read, given a new address, written with --reset and looked for afterwards. A device
# that ignores writes is caught by the verification; a restart of the simulator keeps the new
# addresses; the state files are readable by their owner only.
# Usage: readdress.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim
set -u
cli=${1:?usage: readdress.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim}
sim=${2:?usage: readdress.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim}
work=$(mktemp -d)
sim_pid=
stop_sim() {
    [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    sim_pid=
}
trap 'stop_sim; rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/checks.bash"

# A 127.a.b.0/24 block of our own, as the other scripts and the C++ tests derive theirs.
a=$((($$ >> 8) & 255))
((a == 0)) && a=1
net="127.$a.$(($$ & 255))"
opts=(--bind "$net.200")

devices=(
    "name=GW-1,ip=$net.2,state=$work/gw1.json"
    "name=GW-2,ip=$net.3,user-password=1234,state=$work/gw2.json"
    "name=GW-3,ip=$net.4,fault=ignore-write,state=$work/gw3.json"
)
start_sim() {
    local args=(--quiet --discovery-address "$net.1")
    for d in "${devices[@]}"; do args+=(--device "$d"); done
    "$sim" "${args[@]}" 2>>"$work/sim.log" &
    sim_pid=$!
    for _ in $(seq 1 10); do
        "$cli" search --broadcast "$net.1" --bind "$net.201" >/dev/null 2>&1 && return 0
    done
    fail "simulator did not come up"
}

# readdress FROM-HOST TO-HOST [--password PW]: read, change the IP address, write with --reset.
readdress() {
    local from=$1 to=$2
    shift 2
    run 0 read --ip "$net.$from" --kind user -o "$work/$from.inf" "$@" "${opts[@]}" || return
    iconv -f GBK -t UTF-8 "$work/$from.inf" | sed "s/^\(IP地址\t\t\)[0-9.]*/\1$net.$to/" |
        iconv -f UTF-8 -t GBK >"$work/$from-new.inf"
    run 0 write --ip "$net.$from" "$work/$from-new.inf" --reset "$@" "${opts[@]}"
}

# answers HOST: a search by IP finds a device that reports that very address.
answers() {
    run 0 search --ip "$net.$1" --json "${opts[@]}" && grep -q "\"ip\": \"$net.$1\"" "$work/out"
}

verify() {
    local when=$1
    answers 12 || fail "$when: GW-1 not at its new address"
    answers 13 || fail "$when: GW-2 not at its new address"
    run 3 search --ip "$net.2" "${opts[@]}" || fail "$when: GW-1 still answers at its old address"
    run 3 search --ip "$net.3" "${opts[@]}" || fail "$when: GW-2 still answers at its old address"
    # The write was acknowledged but not stored: verification finds the device unchanged.
    answers 4 || fail "$when: GW-3 should have stayed at its old address"
    run 3 search --ip "$net.14" "${opts[@]}" || fail "$when: GW-3 moved although it ignored the write"
    run 0 search --broadcast "$net.1" "${opts[@]}" &&
        for row in "GW-1"$'\t'".*"$'\t'"$net.12" "GW-2"$'\t'".*"$'\t'"$net.13" "GW-3"$'\t'".*"$'\t'"$net.4"; do
            grep -q "$row"$'\t' "$work/out" || fail "$when: broadcast search lacks $row"
        done
}

start_sim
readdress 2 12
readdress 3 13 --password 1234
readdress 4 14
verify "after the reset"
for f in gw1 gw2; do
    mode_is 600 "$work/$f.json" || fail "$f.json is not mode 600"
done
[[ ! -e $work/gw3.json ]] || fail "GW-3 wrote a state file for a write it ignored"

stop_sim
start_sim
verify "after a restart"

if [[ $failures -ne 0 ]]; then
    echo "$failures failure(s)"
    cat "$work/sim.log"
    exit 1
fi
echo "all readdress checks passed"
