#!/usr/bin/env bash
# The Wireshark dissector (contrib/wireshark/kvt275r.lua) on a capture of kvt640-cli talking to
# the simulator on ports other than the defaults: searches, password checks (one wrong), reads
# with split replies, writes of both kinds, a reset and IP address reports. tshark must name
# every message, decode the key fields as the CLI saw them, and find nothing malformed. Then odd
# messages made with text2pcap, on the default ports: flagged, never a dissector error.
# Usage: dissector.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim
set -u
cli=${1:?usage: dissector.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim}
sim=${2:?usage: dissector.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
lua=$here/../../contrib/wireshark/kvt275r.lua
source "$here/checks.bash"

command -v tshark >/dev/null || { echo "SKIP: tshark is not installed"; exit 77; }
tshark -v 2>/dev/null | grep -q "with Lua" || { echo "SKIP: this tshark has no Lua"; exit 77; }
scratch_with_simulators
own_loopback_block
discovery_port=19801 device_port=19802 local_port=19803 report_port=19804
opts=(--bind "$net.201" --local-port "$local_port" --discovery-port "$discovery_port"
    --device-port "$device_port")
prefs=(-o "kvt275r.discovery_port:$discovery_port" -o "kvt275r.config_port:$device_port"
    -o "kvt275r.report_port:$report_port")

# Capture our block's traffic on the three ports (and list it as it comes, to know when the
# capture runs); SIGINT at the end flushes the file.
ports="udp port $discovery_port or tcp port $device_port or udp port $report_port"
hosts="net $net.0/24"
# Under Wine datagrams leave from 127.0.0.1, and the replies go back there.
windows_programs && hosts+=" or host 127.0.0.1"
tshark -i lo -n -l -P -f "($hosts) and ($ports)" -w "$work/capture.pcapng" \
    >"$work/live.txt" 2>"$work/tshark.log" &
capture=$!
sims+=("$capture")
for _ in $(seq 1 100); do
    grep -q "Capturing on" "$work/tshark.log" && break
    kill -0 "$capture" 2>/dev/null || break
    sleep 0.1
done
sleep 0.5 # the message comes before dumpcap opens the device, which may fail
if ! grep -q "Capturing on" "$work/tshark.log" || ! kill -0 "$capture" 2>/dev/null; then
    echo "SKIP: cannot capture on lo (capturing needs root or the wireshark group):"
    cat "$work/tshark.log"
    exit 77
fi

passwords="user-password=1234,admin-password=adm9"
"$sim" --quiet --discovery-address "$net.1" --discovery-port "$discovery_port" \
    --device-port "$device_port" \
    --device "name=网关-1,ip=$net.2,mac=02:00:00:00:00:21,fw=1.10,fault=split:30,$passwords" \
    --device "name=GW-2,ip=$net.3,mac=02:00:00:00:00:22" \
    --device "name=OTHER,ip=$net.4,mac=02:00:00:00:00:23,product=30103,remote=forbid" \
    --device "name=LIAR,ip=$net.5,mac=02:00:00:00:00:24,fault=wrong-code" \
    2>>"$work/sim.log" &
sims+=($!)
# Until the simulator answers and the capture sees it.
for _ in $(seq 1 10); do
    "$cli" search --broadcast "$net.1" "${opts[@]}" >"$work/out" 2>/dev/null && [[ -s $work/live.txt ]] &&
        break
done
[[ $(grep -c "$net" "$work/out") == 4 ]] || fail "search should list 4 devices: $(cat "$work/out")"

run 0 search --ip "$net.2" "${opts[@]}"
run 0 read --ip "$net.2" --kind user --password 1234 -o "$work/user.inf" "${opts[@]}"
run 0 read --ip "$net.2" --kind background --password adm9 -o "$work/background.inf" "${opts[@]}"
run 5 read --ip "$net.2" --kind user --password 4321 "${opts[@]}"
run 8 read --ip "$net.5" --kind user "${opts[@]}" # its image comes back with code 0x26
# Written back with nine different assembly sizes, so that their order shows.
edits=
for pair in 102:10 101:11 103:12 112:20 111:21 113:22 122:30 121:31 123:32; do
    edits+="s/^\(Assembly Instance${pair%:*}:\t\t\)[0-9]*/\1${pair#*:}/;"
done
LC_ALL=C sed "$edits" "$work/background.inf" >"$work/sizes.inf"
run 0 write --ip "$net.2" "$work/sizes.inf" --password adm9 "${opts[@]}"
# GW-2 reports to us every second from the write on; the reset restarts it.
run 0 read --ip "$net.3" --kind user -o "$work/gw2.inf" "${opts[@]}"
report="自动回复开关\t\topen\r\n自动回复IP地址\t\t$net.1\r\n自动回复端口\t\t$report_port\r\n"
iconv -f GBK -t UTF-8 "$work/gw2.inf" | sed "s/^自动回复开关\t\tclosed\r$/$report自动回复周期\t\t1\r/" |
    iconv -f UTF-8 -t GBK >"$work/gw2-report.inf"
run 0 write --ip "$net.3" "$work/gw2-report.inf" --reset "${opts[@]}"
timeout 10 "$cli" listen --bind "$net.1" --port "$report_port" --count 3 >/dev/null 2>&1 ||
    fail "listen did not get 3 reports"
run 0 show "$work/background.inf" --json && cp "$work/out" "$work/background.json"

kill -INT "$capture" && wait "$capture"
sims=("${sims[@]:1}")

# dissect FILTER FIELD...: the fields of the matching messages, one line per message.
dissect() {
    local filter=$1
    shift
    local fields=()
    for field in "$@"; do fields+=(-e "$field"); done
    tshark -r "$capture_file" -2 -n -X "lua_script:$lua" "${prefs[@]}" -Y "$filter" \
        -T fields -E separator='|' -E occurrence=a -E aggregator=, "${fields[@]}" \
        2>>"$work/dissect.log"
}
# expect WHAT FILTER FIELDS WANTED: every message that FILTER selects has these field values,
# and there is at least one.
expect() {
    local what=$1 filter=$2 names=$3 wanted=$4
    local got
    # shellcheck disable=SC2086
    got=$(dissect "$filter" $names | sort -u)
    [[ $got == "$wanted" ]] || fail "$what: '$filter' gave ${got:-nothing}, expected $wanted"
}
count() { dissect "$1" frame.number | wc -l; }

capture_file=$work/capture.pcapng
dissect kvt275r >/dev/null
grep -qi "lua" "$work/dissect.log" && fail "tshark: $(cat "$work/dissect.log")"

# Every datagram and every segment with data on our ports is ours, and none is malformed.
[[ $(count 'udp && !kvt275r') == 0 ]] || fail "datagrams left undissected"
[[ $(count 'tcp.len > 0 && !kvt275r && !tcp.reassembled_in && !tcp.analysis.retransmission') == 0 ]] ||
    fail "TCP data left undissected"
[[ $(count '_ws.malformed || _ws.expert.severity >= 0x00800000') == 0 ]] ||
    fail "malformed or erroneous: $(dissect '_ws.expert' frame.number _ws.expert.message)"
# No remarks but on the wrong password, the other product and the wrong code (checked below).
remarks="kvt275r.expert.short || kvt275r.expert.length || kvt275r.expert.not_discovery"
remarks+=" || kvt275r.expert.maker_tag || kvt275r.expert.refused || kvt275r.expert.unknown"
[[ $(count "$remarks || kvt275r.expert.oversized") == 0 ]] ||
    fail "remarks on a healthy exchange: $(dissect "$remarks" frame.number _ws.expert.message)"
[[ $(count kvt275r.expert.password_rejected) == 1 ]] || fail "expected one rejected password"

# Discovery.
queries=$(count 'kvt275r.message == "discovery query" && kvt275r.code == 3')
((queries >= 2)) || fail "expected at least 2 discovery queries, got $queries"
reply="kvt275r.name kvt275r.mac kvt275r.model kvt275r.product_code kvt275r.firmware"
reply+=" kvt275r.user_password_set kvt275r.admin_password_set kvt275r.remote_config_allowed"
expect "reply of GW-1" "kvt275r.message == \"discovery reply\" && kvt275r.ip == $net.2" "$reply" \
    "网关-1|02:00:00:00:00:21|KVT-275R|134103|1.10|1|1|1"
expect "reply of the other product" "kvt275r.message == \"discovery reply\" && kvt275r.ip == $net.4" \
    "$reply" "OTHER|02:00:00:00:00:23|other product|30103|1.0|0|0|0"
[[ $(count "kvt275r.message == \"discovery reply\" && ip.dst == $(sent_from "$net.201")") -ge 5 ]] ||
    fail "expected the broadcast's 4 replies and the search by IP's one"

# Password checks: both kinds, accepted, and the wrong one rejected.
expect "user password checks" 'kvt275r.message == "user password check"' \
    "kvt275r.kind kvt275r.password" $'0|1234\n0|4321'
expect "administrator password checks" 'kvt275r.message == "administrator password check"' \
    "kvt275r.maker_tag kvt275r.password" "Kelvarin|adm9"
expect "password replies" 'kvt275r.message contains "password check reply"' \
    "kvt275r.message kvt275r.password_accepted" \
    $'administrator password check reply|1\nuser password check reply|0\nuser password check reply|1'

# Reads: requests and the images in the (split) replies, with what the file got. The write of
# GW-2's DHCP file reads its method first (a move off a static address is refused).
[[ $(count 'kvt275r.message == "read user configuration" && kvt275r.length == 0') == 4 ]] ||
    fail "expected 4 user read requests"
expect "user image of GW-1" "kvt275r.message == \"user image\" && ip.src == $net.2" \
    "kvt275r.image_length kvt275r.ip_address kvt275r.user_password kvt275r.report_enabled" \
    "60|$net.2|1234|0"
split="kvt275r.message == \"user image\" && ip.src == $net.2 && tcp.reassembled.length == 60"
[[ $(count "$split") == 1 ]] || fail "the split user image should be reassembled from its segments"
# Framed by the read it answers, as the tool receives it, whatever its code.
expect "image with the wrong code" "kvt275r.expert.wrong_code" \
    "kvt275r.message kvt275r.code kvt275r.image_length kvt275r.ip_address" \
    "user image|0x00000026|60|$net.5"
sizes=$(python3 -c 'import json, sys
print("|".join(str(int(x)) for x in json.load(open(sys.argv[1]))["assembly_sizes"]))' \
    "$work/background.json")
assemblies=$(printf 'kvt275r.assembly_%s ' 102 101 103 112 111 113 122 121 123) # image order
background="kvt275r.image_length kvt275r.network_name kvt275r.user_password"
background+=" kvt275r.admin_password kvt275r.ip_setting_method $assemblies"
expect "background image of GW-1" 'kvt275r.message == "background image"' "$background" \
    "164|网关-1|1234|adm9|0x01|$sizes"
expect "background write to GW-1" \
    'kvt275r.message == "write background image" && kvt275r.code == 6 && kvt275r.length == 156' \
    "$background" "164|网关-1|1234|adm9|0x01|10|11|12|20|21|22|30|31|32"

# The user write with the report switched on, its acknowledgement, the reset and the reports.
expect "user write to GW-2" 'kvt275r.message == "write user image"' \
    "kvt275r.image_length kvt275r.code kvt275r.ip_address kvt275r.report_enabled
     kvt275r.report_target kvt275r.report_port kvt275r.report_period" \
    "60|0x00000026|$net.3|1|$net.1|$report_port|1"
acks=$(dissect 'kvt275r.message == "acknowledgement"' kvt275r.code | LC_ALL=C sort | tr '\n' ' ')
[[ $acks == "0x00000006 0x0000000a 0x00000026 " ]] ||
    fail "expected acknowledgements of 2 writes and a reset, got $acks"
[[ $(count 'kvt275r.message == "remote reset" && kvt275r.maker_tag == "Kelvarin"') == 1 ]] ||
    fail "expected one reset request"
reports=$(count "kvt275r.message == \"IP address report\" && kvt275r.mac == 02:00:00:00:00:22
    && kvt275r.ip == $net.3 && kvt275r.name == \"GW-2\"")
((reports >= 3)) || fail "expected at least 3 IP address reports of GW-2, got $reports"

# Odd messages no healthy exchange has, on the default ports: a short discovery reply, a name
# that fills its field, another message code, a short report, a length no message has.
# packet TEXT2PCAP-OPTIONS HEX: one more packet in $work/odd.pcap.
odd=()
packet() {
    local n=${#odd[@]}
    echo "0000 $(tr '\n' ' ' <<<"$2")" >"$work/odd$n.txt"
    # shellcheck disable=SC2086
    text2pcap -q $1 "$work/odd$n.txt" "$work/odd$n.pcap" >/dev/null 2>&1 &&
        odd+=("$work/odd$n.pcap")
}
packet "-u 18801,10002" "00 00 00 03 00 00 00 00 00 02 0b d7 00 00 00 00"
zeros() { printf '00 %.0s' $(seq "$1"); }
packet "-u 18801,10002" "00 00 00 03 $(zeros 5) 02 0b d7 $(zeros 12) 00 01 00 0a 02 00 00 00 00 99 00 00
    7f 00 00 09 00 00 00 02 $(printf '%02x ' {65..84}) 00 00 00 02"
packet "-u 18801,10002" "00 00 00 04 00 00 00 00 00 02 0b d7 00 00 00 00 00 00 00 00"
packet "-u 50000,16800" "$(zeros 36) 02 00 00 00 00 99 00 00 7f 00 00 09"
packet "-T 50000,18801" "00 00 00 25 7f ff ff ff"
mergecap -w "$work/odd.pcap" "${odd[@]}" >/dev/null && capture_file=$work/odd.pcap prefs=()
[[ $(count kvt275r) == 5 ]] || fail "odd messages: the default ports should bring all 5 here"
errors='(_ws.malformed || _ws.expert.severity >= 0x00800000) && !kvt275r.expert.oversized'
[[ $(count "$errors") == 0 ]] ||
    fail "odd messages: $(dissect '_ws.expert' frame.number _ws.expert.message)"
expect "short reply" "kvt275r.expert.short && udp.length == 24" "kvt275r.product_code kvt275r.model" \
    "134103|KVT-275R"
expect "full name" "kvt275r.ip == 127.0.0.9 && kvt275r.message == \"discovery reply\"" "$reply" \
    "ABCDEFGHIJKLMNOPQRST|02:00:00:00:00:99|KVT-275R|134103|1.10|0|1|0"
[[ $(count kvt275r.expert.not_discovery) == 1 ]] || fail "odd messages: code 4 is not a discovery reply"
expect "short report" "kvt275r.expert.short && kvt275r.message == \"IP address report\"" \
    "kvt275r.mac kvt275r.ip" "02:00:00:00:00:99|127.0.0.9"
[[ $(count kvt275r.expert.oversized) == 1 ]] || fail "odd messages: an impossible length should be flagged"

# KVT_KEEP_CAPTURE=FILE keeps the capture for a look in Wireshark.
[[ -n ${KVT_KEEP_CAPTURE:-} ]] && cp "$work/capture.pcapng" "$KVT_KEEP_CAPTURE"
((failures == 0)) && echo "dissector: all checks passed"
exit $((failures > 0))
