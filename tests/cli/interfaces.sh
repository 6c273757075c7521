#!/usr/bin/env bash
# kvt640-cli search on a PC with two network cards, built from network namespaces that this
# script creates and removes (so nothing reaches the host's network): the default search lists
# the gateways of both plants with the card each was heard on, --interface asks one card, a
# card that is not there is status 2, --broadcast 255.255.255.255 is the single query by the
# default route. Needs root and `ip netns`; exits 77 (skipped) where they are missing.
# Usage: interfaces.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim
set -u
real_cli=${1:?usage: interfaces.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim}
sim=${2:?usage: interfaces.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim}
[[ $(id -u) -eq 0 ]] || { echo "SKIP: needs root to create network namespaces"; exit 77; }

id=$$
pc=kvcpc$id
plants=(kvcpa$id kvcpb$id)
cards=(kc1$id kc2$id)
work=$(mktemp -d)
sims=()
cleanup() {
    for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
    for ns in "${plants[@]}" "$pc"; do ip netns del "$ns" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
source "$(dirname "${BASH_SOURCE[0]}")/checks.bash"
if windows_programs; then
    # The wine server makes every socket of its programs, in its own network namespace.
    echo "SKIP: under Wine a program started in another network namespace still uses the host's"
    exit 77
fi
ip netns add "$pc" 2>/dev/null || { echo "SKIP: 'ip netns add' is not available here"; exit 77; }

# kvt640-cli as it runs on the PC.
cli=$work/cli-on-pc
printf '#!/bin/sh\nexec ip netns exec %s %q "$@"\n' "$pc" "$real_cli" >"$cli"
chmod +x "$cli"

set -e
ip -n "$pc" link set lo up
for i in 0 1; do
    net=10.82.$((i + 1))
    far=kf$((i + 1))$id
    ip netns add "${plants[i]}"
    ip link add "${cards[i]}" netns "$pc" type veth peer name "$far" netns "${plants[i]}"
    ip -n "${plants[i]}" addr add "$net.1/24" dev "$far"
    ip -n "${plants[i]}" link set "$far" up
    ip -n "${plants[i]}" link set lo up
    ip -n "$pc" addr add "$net.2/24" dev "${cards[i]}"
    ip -n "$pc" link set "${cards[i]}" up
done
ip -n "$pc" route add default via 10.82.1.1
set +e

# One gateway per plant, answering the broadcast on the plant's segment.
for i in 0 1; do
    ip netns exec "${plants[i]}" "$sim" --quiet --discovery-address 0.0.0.0 \
        --device "name=GW-$((i + 1)),ip=127.0.0.2,mac=02:82:00:00:00:0$((i + 1))" \
        2>>"$work/sim.log" &
    sims+=($!)
done
for i in 0 1; do
    up=0
    for _ in $(seq 1 10); do
        "$cli" search --interface "${cards[i]}" >/dev/null 2>&1 && { up=1; break; }
    done
    ((up)) || fail "gateway of ${cards[i]} did not come up: $(cat "$work/sim.log")"
done

# Every card: both gateways, each with its card in the last column.
run 0 search &&
    {
        head -1 "$work/out" | grep -q $'\t接口$' || fail "search: card column header"
        [[ $(wc -l <"$work/out") -eq 3 ]] || fail "search: expected a header and two rows"
        grep -q $'\tGW-1\t.*\t'"${cards[0]}"'$' "$work/out" || fail "search: GW-1 on ${cards[0]}"
        grep -q $'\tGW-2\t.*\t'"${cards[1]}"'$' "$work/out" || fail "search: GW-2 on ${cards[1]}"
    }
run 0 search --interface all --json &&
    {
        grep -q '"interface": "'"${cards[0]}"'"' "$work/out" || fail "search --json: card of GW-1"
        grep -q '"interface": "'"${cards[1]}"'"' "$work/out" || fail "search --json: card of GW-2"
    }
# One card.
run 0 search --interface "${cards[1]}" &&
    {
        [[ $(wc -l <"$work/out") -eq 2 ]] || fail "search --interface: expected one row"
        grep -q $'^ 1\tGW-2\t' "$work/out" || fail "search --interface: $(sed -n 2p "$work/out")"
    }
# Loopback cannot broadcast; a name that is not there at all.
run 2 search --interface lo
run 2 search --interface kvt-no-such-card
# The product's single query: by the default route, plant A only, no card column.
run 0 search --broadcast 255.255.255.255 &&
    {
        [[ $(wc -l <"$work/out") -eq 2 ]] || fail "search --broadcast: expected one row"
        grep -q $'^ 1\tGW-1\t.*\t无$' "$work/out" || fail "search --broadcast: $(sed -n 2p "$work/out")"
    }

if [[ $failures -ne 0 ]]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "all interface CLI checks passed"
