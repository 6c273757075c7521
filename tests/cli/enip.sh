#!/usr/bin/env bash
# EtherNet/IP of the simulator and of kvt640-cli, judged by software nobody here wrote:
# Wireshark's dissectors (tshark on a loopback capture), nmap's enip-info script and the npm
# client st-ethernet-ip; then a readdress with batch --reset --check-enip that finds every
# gateway on EtherNet/IP at its new address, one that lies about its sizes and one without
# EtherNet/IP. A witness that is missing is skipped with the reason printed.
# Usage: enip.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim
set -u
cli=${1:?usage: enip.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim}
sim=${2:?usage: enip.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/checks.bash"
scratch_with_simulators
own_loopback_block
skipped=()

# GW-1 answers as configured, GW-3 reports other sizes, GW-4 has no EtherNet/IP at all.
devices=("name=GW-1,ip=$net.2,fw=2.5,mac=02:00:00:00:12:34" "name=GW-2,ip=$net.3"
    "name=GW-3,ip=$net.4,enip-sizes=68;64;0;132;128;0;260;250;0" "name=GW-4,ip=$net.5,fault=no-enip")
args=(--discovery-address "$net.1")
for d in "${devices[@]}"; do args+=(--device "$d"); done
"$sim" "${args[@]}" 2>"$work/sim.log" &
sims+=($!)
up=0
for _ in $(seq 1 20); do
    "$cli" search --broadcast "$net.1" --bind "$net.201" >/dev/null 2>&1 && up=1 && break
done
((up)) || fail "simulator did not come up"

# --- the CLI's own view: exit statuses and the JSON's sizes
run 0 enip --ip "$net.2" --bind "$net.200" --json || fail "enip at a matching gateway"
python3 - "$work/out" <<'PY' || fail "enip --json: $(head -c 600 "$work/out")"
import json, sys
out = json.load(open(sys.argv[1]))
assert out["outcome"] == "match", out["outcome"]
assert out["identity"]["name"] == "GW-1" and out["identity"]["serial"] == 0x1234, out["identity"]
sizes = {a["instance"]: (a["configured"], a["expected"], a["reported"]) for a in out["assemblies"]}
assert sizes[102] == (64, 68, 68) and sizes[101] == (64, 64, 64) and sizes[122] == (256, 260, 260), sizes
PY
run 13 enip --ip "$net.4" --bind "$net.200" || fail "enip at a gateway with other sizes"
grep -q "assembly 121 (output): expected 256, reported 250: mismatch" "$work/out" ||
    fail "enip mismatch line: $(cat "$work/out")"
run 7 enip --ip "$net.5" --bind "$net.200" --timeout 500 || fail "enip at a gateway without it"
run 0 enip --list --broadcast "$net.1" --bind "$net.200" --delay 500 --json || fail "enip --list"
python3 - "$work/out" "$net" <<'PY' || fail "enip --list: $(cat "$work/out")"
import json, sys
listed = sorted((d["address"], d["name"]) for d in json.load(open(sys.argv[1])))
net = sys.argv[2]
assert listed == [(f"{net}.2", "GW-1"), (f"{net}.3", "GW-2"), (f"{net}.4", "GW-3")], listed
PY

# --- st-ethernet-ip: installed outside the tree, once, into the user's cache
npm_dir=${XDG_CACHE_HOME:-$HOME/.cache}/kvt640/npm
node_ok=0
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    skipped+=("st-ethernet-ip: node or npm is not installed")
elif [[ ! -d $npm_dir/node_modules/st-ethernet-ip ]] &&
    ! (mkdir -p "$npm_dir" && npm install --prefix "$npm_dir" --no-audit --no-fund \
        st-ethernet-ip@2.7.5 >"$work/npm.log" 2>&1); then
    skipped+=("st-ethernet-ip: npm install failed: $(tail -1 "$work/npm.log")")
else
    node_ok=1
fi

# --- tshark: a capture of everything above port 44818 in this block, dissected
capture=0
if ! command -v tshark >/dev/null; then
    skipped+=("tshark: not installed")
else
    tshark -i lo -f "net $net.0/24 and port 44818" -w "$work/enip.pcapng" -q 2>"$work/tshark.log" &
    tshark_pid=$!
    for _ in $(seq 1 100); do
        grep -q "Capturing on" "$work/tshark.log" && capture=1 && break
        kill -0 "$tshark_pid" 2>/dev/null || break
        sleep 0.1
    done
    ((capture)) || skipped+=("tshark: cannot capture on lo: $(tail -1 "$work/tshark.log")")
fi
# The traffic to judge: the CLI's check and browse, and the npm client when it is there.
run 0 enip --ip "$net.2" --bind "$net.200" || fail "enip during the capture"
run 0 enip --list --broadcast "$net.1" --bind "$net.200" --delay 500
if ((node_ok)); then
    node "$here/enip-witness.js" "$npm_dir/node_modules" "$net.1" "$net.200" "$net.2" \
        GW-1,GW-2,GW-3 >"$work/node.log" 2>&1 || fail "st-ethernet-ip: $(cat "$work/node.log")"
    cat "$work/node.log"
fi
if ((capture)); then
    sleep 0.5  # the last packets reach the capture file
    kill -INT "$tshark_pid"
    wait "$tshark_pid" 2>/dev/null
    count() { tshark -r "$work/enip.pcapng" -Y "$1" 2>/dev/null | wc -l; }
    expect() {  # expect WHAT DISPLAY-FILTER: at least one packet matches
        local n
        n=$(count "$2")
        ((n > 0)) && echo "ok: tshark: $1 ($n)" || fail "tshark: no packet with $2 ($1)"
    }
    (($(count "_ws.malformed || _ws.expert.severity >= error") == 0)) ||
        fail "tshark: malformed packets: $(tshark -r "$work/enip.pcapng" -Y "_ws.malformed || _ws.expert.severity >= error" 2>&1 | head -5)"
    expect "ListIdentity reply of GW-1" "enip.command == 0x63 && enip.lir.name == \"GW-1\" &&
        enip.sinaddr == $net.2 && enip.sinport == 44818 && enip.lir.devtype == 12 &&
        enip.lir.prodcode == 3031 && enip.lir.serial == 0x00001234 && enip.lir.vendor == 65534 &&
        enip.lir.state == 3"
    expect "the browse's requester delay" "enip.command == 0x63 && ip.dst == $net.1 &&
        enip.listid_delay == 500"
    expect "RegisterSession" "enip.command == 0x65 && enip.status == 0 && enip.session != 0"
    expect "attribute 4 of instance 102 requested" "cip.service == 0x0e && cip.class == 4 &&
        cip.instance == 102 && cip.attribute == 4"
    expect "a successful Get_Attribute_Single reply" "cip.service == 0x8e && cip.genstat == 0"
    if ((node_ok)); then
        expect "path destination unknown" "cip.genstat == 0x05"
        expect "Forward_Open refused for its O->T size" "cip.genstat == 0x01 &&
            cip.cm.ext_status == 0x0127 && cip.cm.ext127_size == 70"
        expect "Forward_Open refused for its T->O size" "cip.cm.ext_status == 0x0128 &&
            cip.cm.ext128_size == 70"
        expect "Forward_Open accepted" "cip.service == 0xd4 && cip.genstat == 0 &&
            cip.cm.ot_connid != 0"
    fi
fi

# --- nmap's enip-info over UDP and TCP
if ! command -v nmap >/dev/null; then
    skipped+=("nmap: not installed")
elif [[ ! -f /usr/share/nmap/scripts/enip-info.nse ]]; then
    skipped+=("nmap: no enip-info script")
else
    scans=(-sT)
    # A UDP scan needs raw sockets, and a reply from the address asked (Wine sends from 127.0.0.1).
    if [[ $(id -u) != 0 ]]; then
        skipped+=("nmap -sU: needs root")
    elif windows_programs; then
        skipped+=("nmap -sU: under Wine the reply comes from 127.0.0.1, not the device's address")
    else
        scans+=(-sU)
    fi
    for scan in "${scans[@]}"; do
        nmap -n -Pn "$scan" -p 44818 --script enip-info "$net.2" >"$work/nmap.out" 2>&1
        for field in "productName: GW-1" "productCode: 3031" "revision: 2.5" \
            "serialNumber: 0x00001234" "type: Communications Adapter (12)" "deviceIp: $net.2"; do
            grep -q "$field" "$work/nmap.out" || fail "nmap $scan enip-info lacks '$field': $(cat "$work/nmap.out")"
        done
    done
fi

# --- the readdress: every gateway gets a static address 100 further on; the check follows each
# to its new address
{
    echo "ip,ip_method,ip_address,subnet_mask"
    for host in 2 3 4 5; do echo "$net.$host,0,$net.$((host + 100)),255.255.255.0"; done
} >"$work/move.csv"
start=$(date +%s%N)
run 12 batch "$work/move.csv" --kind background --reset --check-enip --enip-timeout 5 --json \
    --bind "$net.200" --jobs 4 || fail "batch --reset --check-enip"
python3 -c "import json,sys; print(\"answered after reset (ms):\", [r[\"enip\"][\"answered_after_ms\"] for r in json.load(open(sys.argv[1]))[\"rows\"]])" "$work/out"
echo "batch --reset --check-enip of 4 gateways took $((($(date +%s%N) - start) / 1000000)) ms"
python3 - "$work/out" "$net" <<'PY' || fail "batch --check-enip --json: $(head -c 1500 "$work/out")"
import json, sys
rows = json.load(open(sys.argv[1]))["rows"]
net = sys.argv[2]
got = [(r["new_ip"], r["outcome"], r["reset"], r["enip"]["outcome"], r["enip"]["ip"]) for r in rows]
assert got == [
    (f"{net}.102", "applied", True, "match", f"{net}.102"),
    (f"{net}.103", "applied", True, "match", f"{net}.103"),
    (f"{net}.104", "enip_mismatch", True, "mismatch", f"{net}.104"),
    (f"{net}.105", "enip_no_answer", True, "no_answer", f"{net}.105"),
], got
PY
run 0 enip --ip "$net.103" --bind "$net.200" || fail "GW-2 at its new address"
# apply: nothing to write, the check at the device's address, the liar's status 13
run 0 read --ip "$net.104" --kind background -o "$work/liar.inf" --bind "$net.200"
run 13 apply --ip "$net.104" "$work/liar.inf" --check-enip --json --bind "$net.200" ||
    fail "apply --check-enip to a gateway with other sizes"
grep -q '"outcome": "enip_mismatch"' "$work/out" || fail "apply --check-enip: $(cat "$work/out")"
run 0 new --kind background -o "$work/new.inf"
run 7 enip --ip "$net.3" --from "$work/new.inf" --bind "$net.200" --timeout 500 ||
    fail "GW-2 still on EtherNet/IP at its old address"

for reason in "${skipped[@]}"; do echo "SKIPPED: $reason"; done
if [[ $failures -ne 0 ]]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "all EtherNet/IP checks passed"
