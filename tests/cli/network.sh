#!/usr/bin/env bash
# Network commands of kvt640-cli against simulated gateways on this process's own loopback block:
# search (broadcast and by IP, text and JSON), read, write with reset, reset, listen, and the
# exit status of each kind of failure.
# Usage: network.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim
set -u
cli=${1:?usage: network.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim}
sim=${2:?usage: network.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim}
source "$(dirname "${BASH_SOURCE[0]}")/checks.bash"
scratch_with_simulators

own_loopback_block
opts=(--bind "$net.200")

# One simulator (Wine cannot give two of them one port): a broadcast lists every gateway, a
# query to a gateway's address gets that one alone.
start_sim 1 "name=GW-A,ip=$net.2,user-password=1234" "name=GW-B,ip=$net.3,fw=2.5" \
    "name=GW-P,ip=$net.5,user-password=1234,admin-password=ad,fw=3.7" "name=GW-Q,ip=$net.6" \
    "name=GW-F,ip=$net.7,remote=forbid" "name=GW-R,ip=$net.8,fault=refuse" \
    "name=GW-W,ip=$net.9,fault=wrong-code"

# --- search: the list's columns, in table order
run 0 search --broadcast "$net.1" "${opts[@]}" &&
    {
        [[ $(wc -l <"$work/out") -eq 8 ]] || fail "search: expected a header and seven rows"
        grep -q $'^ 1\tGW-A\tKVT-275R\t'"$net.2"$'\t02-00-00-00-00-01\t1.0\t有$' "$work/out" ||
            fail "search: first row $(sed -n 2p "$work/out")"
        grep -q $'^ 2\tGW-B\tKVT-275R\t'"$net.3"$'\t.*\t2.5\t无$' "$work/out" ||
            fail "search: second row $(sed -n 3p "$work/out")"
    }
run 0 search --broadcast "$net.1" --json "${opts[@]}" &&
    {
        keys=$(grep -o '"[a-z_]*":' "$work/out" | sort -u | tr -d '":\n')
        # The list's texts, each typed fact beside its text.
        [[ $keys == "admin_password_setadmin_password_set_boolfirmwareinterfaceipmacmodelnameproduct_coderemote_configremote_config_allowed_boolrowuser_password_setuser_password_set_bool" ]] ||
            fail "search --json keys: $keys"
        grep -q '"interface": ""' "$work/out" || fail "search --json: one chosen target, no interface"
        [[ $(grep -c '"row"' "$work/out") -eq 7 ]] || fail "search --json: expected seven objects"
        grep -q '"row": " 1"' "$work/out" || fail "search --json: row text"
        grep -q '"user_password_set": "有"' "$work/out" || fail "search --json: UTF-8 texts"
        grep -q '"user_password_set_bool": true' "$work/out" || fail "search --json: typed flag"
        grep -q '"product_code": 134103' "$work/out" || fail "search --json: product code"
    }
run 0 search --ip "$net.7" --json "${opts[@]}" &&
    {
        grep -q '"remote_config": "禁止远程配置"' "$work/out" || fail "search --ip: permission text"
        grep -q '"remote_config_allowed_bool": false' "$work/out" || fail "search --ip: typed permission"
        grep -q '"user_password_set_bool": false' "$work/out" || fail "search --ip: no password"
    }
run 0 search --ip "$net.5" --json "${opts[@]}" &&
    {
        grep -q '"row": "1"' "$work/out" || fail "search --ip: row number"
        grep -q '"admin_password_set": "有"' "$work/out" || fail "search --ip: admin password"
    }
run 3 search --ip "$net.99" "${opts[@]}"
# The search's local port held by another program: status 9 and the port named, not "none".
"$cli" listen --bind "$net.202" --port 10002 --seconds 10 >/dev/null 2>&1 &
holder=$!
for _ in $(seq 1 300); do ss -Hlun "src $net.202:10002" | grep -q . && break; sleep 0.01; done
for how in "--broadcast $net.1" "--ip $net.2"; do
    run 9 search $how --bind "$net.202" &&
        { grep -q 'port 10002 is in use' "$work/err" || fail "busy port ($how): $(cat "$work/err")"; }
done
kill -INT "$holder" && wait "$holder"
# A network card that is not there is a usage error, named in the message; nothing is sent.
run 2 search --interface kvt-no-such-card "${opts[@]}" &&
    { grep -q 'kvt-no-such-card' "$work/err" || fail "missing card: message $(cat "$work/err")"; }

# --- read: passwords are never prompted for
run 4 read --ip "$net.5" --kind user "${opts[@]}" &&
    { grep -q '请输入密码' "$work/err" || fail "missing password: message $(cat "$work/err")"; }
run 5 read --ip "$net.5" --kind user --password 999 "${opts[@]}" &&
    { grep -q '密码错误' "$work/err" || fail "wrong password: message"; }
run 0 read --ip "$net.5" --kind background --password ad --json "${opts[@]}" &&
    { grep -q '"product_code": 134103' "$work/out" || fail "read --json: $(head -c 300 "$work/out")"; }
run 0 read --ip "$net.5" --kind user --password 1234 -o "$work/p.inf" "${opts[@]}" &&
    {
        iconv -f GBK -t UTF-8 "$work/p.inf" | grep -q $'^固件版本号\t\t3.7\r$' ||
            fail "read -o: firmware line of the device's record"
    }
# The same sources as apply and batch: the file's first line, then the environment (the admin
# variable only for a background configuration); --password wins over both.
printf '1234\r\nignored\n' >"$work/pw"
run 0 read --ip "$net.5" --kind user --password-file "$work/pw" "${opts[@]}"
KVT640_PASSWORD=1234 KVT640_ADMIN_PASSWORD=999 run 0 read --ip "$net.5" --kind user "${opts[@]}"
KVT640_PASSWORD=1234 KVT640_ADMIN_PASSWORD=ad run 0 read --ip "$net.5" --kind background "${opts[@]}"
KVT640_PASSWORD=1234 run 5 read --ip "$net.5" --kind user --password 999 "${opts[@]}"
run 1 read --ip "$net.5" --kind user --password-file "$work/no-such-file" "${opts[@]}"
run 6 read --ip "$net.7" --kind user "${opts[@]}" &&
    { grep -q '远程配置被禁止' "$work/err" || fail "forbidden read: message"; }
run 7 read --ip "$net.8" --kind user --connect-timeout 500 "${opts[@]}"
# The desktop tool's names and limits: --local-address beside --bind, up to ten minutes.
run 0 read --ip "$net.5" --kind user --password 1234 --local-address "$net.200" --connect-timeout 600000
run 2 read --ip "$net.5" --kind user --connect-timeout 600001 "${opts[@]}"
# Each kind of failure has its status, whatever the message says.
run 8 read --ip "$net.9" --kind user "${opts[@]}" &&
    { grep -q '读取失败' "$work/err" || fail "wrong reply: message $(cat "$work/err")"; }
run 3 read --ip "$net.99" --kind user "${opts[@]}"
run 7 read --ip "$net.5" --kind user --password 1234 --device-port 9 "${opts[@]}"

# --- write: Open's parse of the file, the download, the reset on request (a static address:
# a file that sets DHCP is refused without --force, below)
run 0 read --ip "$net.6" --kind user -o "$work/q.inf" "${opts[@]}"
iconv -f GBK -t UTF-8 "$work/q.inf" |
    sed -e 's/^IP配置方式\tDHCP/IP配置方式\t静态配置/' -e "s/^\(默认网关\t\t\)[0-9.]*/\1$net.254/" |
    iconv -f UTF-8 -t GBK >"$work/q2.inf"
run 0 write --ip "$net.6" "$work/q2.inf" --reset "${opts[@]}"
run 0 read --ip "$net.6" --kind user --json "${opts[@]}" &&
    { grep -q "\"$net.254\"" "$work/out" || fail "write: the device does not hold the new gateway"; }
run 4 write --ip "$net.5" "$work/q2.inf" "${opts[@]}"
run 5 write --ip "$net.5" "$work/q2.inf" --password 999 "${opts[@]}"
run 0 write --ip "$net.5" "$work/q2.inf" --password 1234 "${opts[@]}"
KVT640_PASSWORD=1234 run 0 write --ip "$net.5" "$work/q2.inf" "${opts[@]}"
run 7 write --ip "$net.8" "$work/q2.inf" --connect-timeout 500 "${opts[@]}"
run 8 write --ip "$net.9" "$work/q2.inf" "${opts[@]}"
# A file that moves a device from its static address to DHCP (New's defaults) is refused
# without --force, the consequence named.
run 0 new --kind user -o "$work/new.inf"
run 1 write --ip "$net.6" "$work/new.inf" "${opts[@]}" &&
    { grep -q 'no known address' "$work/err" || fail "static to DHCP: $(cat "$work/err")"; }
# Open refuses a device that forbids remote configuration before anything is sent.
run 6 write --ip "$net.7" "$work/q2.inf" "${opts[@]}" &&
    { grep -q '远程配置被禁止' "$work/err" || fail "forbidden write: message"; }

# --- reset
run 0 reset --ip "$net.6" "${opts[@]}"
run 6 reset --ip "$net.7" "${opts[@]}"
run 7 reset --ip "$net.8" --connect-timeout 500 "${opts[@]}"
run 8 reset --ip "$net.9" "${opts[@]}"

# --- listen: two reports of one gateway, one of another; the table at the end
report() { # MAC-LAST IP-BYTES NAME -> 76-byte datagram file
    local file=$work/report-$1
    {
        head -c 36 /dev/zero
        printf "\\x00\\x1a\\x2b\\x3c\\x4d\\x$1"
        head -c 2 /dev/zero
        printf "$2"
        head -c 8 /dev/zero
        printf '%s' "$3"
        head -c $((20 - ${#3})) /dev/zero
    } >"$file"
    echo "$file"
}
one=$(report 01 '\xc0\xa8\x00\x07' GW-1)
two=$(report 02 '\xc0\xa8\x00\x08' GW-2)
"$cli" listen --bind "$net.1" --port 16800 --count 3 --json >"$work/listen.out" 2>"$work/listen.err" &
listener=$!
bound 16800 || fail "listen: port not bound"
for file in "$one" "$two" "$one"; do cat "$file" >"/dev/udp/$net.1/16800"; done
wait "$listener"
status=$?
[[ $status -eq 0 ]] || fail "listen exited $status: $(cat "$work/listen.err")"
grep -q '"mac": "00-1a-2b-3c-4d-01"' "$work/listen.out" || fail "listen --json: first device"
grep -q '"ip": "192.168.0.8"' "$work/listen.out" || fail "listen --json: second device"
grep -q '"name": "GW-2"' "$work/listen.out" || fail "listen --json: name"
grep -q '"count": " 2"' "$work/listen.out" || fail "listen --json: count"
keys=$(grep -o '"[a-z_]*":' "$work/listen.out" | sort -u | tr -d '":\n')
[[ $keys == "countiplatestmacnamepreviousrow" ]] || fail "listen --json keys: $keys"
[[ $(grep -c $'\t' "$work/listen.err") -eq 3 ]] || fail "listen: row updates as they come"

# A port in use: status 9, and the listener that holds it is not disturbed.
"$cli" listen --bind "$net.1" --port 16801 --seconds 5 >"$work/holder.out" 2>&1 &
holder=$!
bound 16801 || fail "listen: holder not bound"
run 9 listen --bind "$net.1" --port 16801 --seconds 1
kill -INT "$holder"
wait "$holder" || fail "listen: an interrupt should end the listener normally"
grep -q '^序号' "$work/holder.out" || fail "listen: header line"

if [[ $failures -ne 0 ]]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "all network CLI checks passed"
