#!/usr/bin/env bash
# kvt640-cli batch against 50 simulated gateways: an inventory readdressed by MAC with --jobs 8
# and --reset, every device found at its new address afterwards; a dry run; a failing row that
# does not stop the others; inventories refused before anything is sent; results readable by
# their owner only.
# Usage: batch.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim
set -u
cli=${1:?usage: batch.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim}
sim=${2:?usage: batch.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim}
source "$(dirname "${BASH_SOURCE[0]}")/checks.bash"
scratch_with_simulators
own_loopback_block
opts=(--bind "$net.200" --broadcast "$net.1")
count=50

"$sim" --discovery-address "$net.1" --devices "$count" --base-address "$net.2" 2>"$work/sim.log" &
sims+=($!)
up=0
for _ in $(seq 1 20); do
    "$cli" search --broadcast "$net.1" --bind "$net.201" >/dev/null 2>&1 && up=1 && break
done
((up)) || fail "simulator did not come up"
exchanges() { grep -c "discovery query\|: read \|: write \|password check" "$work/sim.log"; }

# The devices' MAC addresses as the search lists them: host i + 1 has the i-th.
run 0 search --broadcast "$net.1" --bind "$net.201" --json
python3 - "$work/out" "$net" "$count" >"$work/macs" <<'PY'
import json, sys
devices = json.load(open(sys.argv[1]))
by_ip = {d["ip"]: d["mac"] for d in devices}
for host in range(2, 2 + int(sys.argv[3])):
    print(by_ip[f"{sys.argv[2]}.{host}"])
PY
(($(wc -l <"$work/macs") == count)) || fail "search did not list the $count devices"

# Host h moves to h + 100; the MACs are written in capitals with colons, as labels show them.
{
    printf '\xEF\xBB\xBFmac,ip_address,subnet_mask\r\n'
    host=2
    while read -r mac; do
        printf '%s,%s,255.255.255.0\r\n' "$(tr 'a-f-' 'A-F:' <<<"$mac")" "$net.$((host + 100))"
        host=$((host + 1))
    done <"$work/macs"
} >"$work/inventory.csv"

# --- inventories refused before anything is sent, naming row and column
refused() {
    local why=$1 says=$2
    shift 2
    printf '%s\n' "$@" >"$work/bad.csv"
    local before
    before=$(exchanges)
    run 1 batch "$work/bad.csv" "${opts[@]}" || fail "$why: should be refused"
    grep -q -- "$says" "$work/err" || fail "$why: stderr lacks '$says': $(cat "$work/err")"
    (($(exchanges) == before)) || fail "$why: something was sent"
}
mac1=$(sed -n 1p "$work/macs")
mac2=$(sed -n 2p "$work/macs")
refused "unknown column" "row 1, column colour: unknown column" "mac,colour" "$mac1,red"
refused "duplicate MAC" "row 3, column mac: MAC" "mac,gateway" "$mac1,0.0.0.0" "$mac1,0.0.0.0"
refused "same new address" "row 3, column ip_address" "mac,ip_address" "$mac1,$net.90" \
    "$mac2,$net.90"
refused "unparsable value" "row 2, column report_period" "mac,report_period" "$mac1,ten"
refused "value out of range" "row 2, column report_port" \
    "mac,report_enabled,report_target,report_port" "$mac1,1,127.0.0.1,0"

# --- dry run: the differences only, status 10, nothing written
before=$(grep -c ": write " "$work/sim.log")
run 10 batch "$work/inventory.csv" --dry-run --jobs 8 --json "${opts[@]}" ||
    fail "batch --dry-run should say that rows would change"
python3 - "$work/out" "$count" <<'PY' || fail "batch --dry-run --json: $(head -c 600 "$work/out")"
import json, sys
out = json.load(open(sys.argv[1]))
rows = out["rows"]
assert len(rows) == int(sys.argv[2]), len(rows)
assert all(r["outcome"] == "would_change" for r in rows), rows[0]
assert all([d["field"] for d in r["differences"]] == ["ip_address"] for r in rows), rows[0]
assert out["summary"]["failed"] == 0
PY
(($(grep -c ": write " "$work/sim.log") == before)) || fail "batch --dry-run wrote"

# --- the readdress: 50 devices, 8 at a time, results to a file readable by the owner only
start=$(date +%s%N)
run 0 --lang en batch "$work/inventory.csv" --jobs 8 --reset --csv -o "$work/results.csv" \
    "${opts[@]}" || fail "batch readdress"
took_ms=$((($(date +%s%N) - start) / 1000000))
echo "batch of $count devices with --jobs 8 and --reset took ${took_ms} ms"
((took_ms < 60000)) || fail "batch took ${took_ms} ms"
mode_is 600 "$work/results.csv" || fail "batch results are not mode 600"
grep -q "$count rows: $count succeeded, 0 failed, $count changed, $count verified" "$work/err" ||
    fail "batch summary: $(cat "$work/err")"
(($(grep -c ',applied,' "$work/results.csv") == count)) || fail "batch: not every row applied"
head -c 3 "$work/results.csv" | od -An -tx1 | grep -q "ef bb bf" || fail "batch --csv: no BOM"

# Every device answers at its new address: the broadcast search lists each there, and a batch
# that finds each by that address (a search by IP per row) and reads it sees nothing to change.
run 0 search --broadcast "$net.1" --bind "$net.201" --json
python3 - "$work/out" "$net" "$count" <<'PY' || fail "not every device is listed at its new address"
import json, sys
listed = {d["ip"] for d in json.load(open(sys.argv[1]))}
net, count = sys.argv[2], int(sys.argv[3])
wanted = {f"{net}.{host + 100}" for host in range(2, 2 + count)}
assert listed == wanted, sorted(listed ^ wanted)
PY
{
    echo "ip,ip_address,subnet_mask"
    for host in $(seq 2 $((count + 1))); do
        echo "$net.$((host + 100)),$net.$((host + 100)),255.255.255.0"
    done
} >"$work/at-new.csv"
run 0 batch "$work/at-new.csv" --jobs 8 --bind "$net.200" ||
    fail "the devices found by their new addresses should hold what was written"
(($(grep -c $'\tunchanged\t' "$work/out") == count)) || fail "by new address: $(cat "$work/out")"
run 3 search --ip "$net.2" --bind "$net.200" || fail "a device still answers at its old address"

# --- applied again at the new addresses: nothing written; existing results file keeps its mode
chmod 640 "$work/results.csv"
before=$(grep -c ": write " "$work/sim.log")
run 0 batch "$work/inventory.csv" --jobs 8 --reset -o "$work/results.csv" "${opts[@]}" ||
    fail "batch again"
(($(grep -c ": write " "$work/sim.log") == before)) || fail "batch again wrote"
(($(grep -c $'\tunchanged\t' "$work/results.csv") == count)) || fail "batch again: not unchanged"
mode_is 640 "$work/results.csv" || fail "a results file saved over lost its mode"

# --- one failing row does not stop the others; the status says some failed
{
    echo "ip,subnet_mask"
    echo "$net.102,255.255.0.0"
    echo "$net.3,255.255.0.0"  # nobody there any more
    echo "$net.104,255.255.0.0"
} >"$work/partial.csv"
run 12 batch "$work/partial.csv" "${opts[@]}" || fail "batch with a missing device: status 12"
grep -q $'^2\t.*\tapplied\t' "$work/out" && grep -q $'^3\t.*\tfailed\t' "$work/out" &&
    grep -q $'^4\t.*\tapplied\t' "$work/out" || fail "batch rows: $(cat "$work/out")"
grep -q "3 行：2 成功，1 失败" "$work/out" || fail "batch summary line (--lang zh by default)"

# --- read -o and image build create files readable by their owner only
run 0 read --ip "$net.102" --kind user -o "$work/saved.inf" --bind "$net.200"
mode_is 600 "$work/saved.inf" || fail "read -o: file is not mode 600"
run 0 image build "$work/saved.inf" -o "$work/saved.img"
mode_is 600 "$work/saved.img" || fail "image build: file is not mode 600"

if [[ $failures -ne 0 ]]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "all batch checks passed"
