#!/usr/bin/env bash
# CSV output of kvt640-cli search and listen against simulated gateways on this process's own
# loopback block: byte order mark, headers in the --lang language, RFC 4180 rows ending in CR LF,
# GBK names as UTF-8; --csv and --json exclude each other.
# Usage: export.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim
set -u
cli=${1:?usage: export.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim}
sim=${2:?usage: export.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim}
source "$(dirname "${BASH_SOURCE[0]}")/checks.bash"
scratch_with_simulators
own_loopback_block
opts=(--bind "$net.200")
bom=$'\xEF\xBB\xBF'
cr=$'\r'

start_sim 1 "name=网关一号,ip=$net.2,user-password=1234" "name=GW-B,ip=$net.3,remote=forbid"

# csv_lines FILE: the file's lines without the BOM and the CR of each CR LF; fails when the
# BOM is missing or a line does not end in CR LF.
csv_lines() {
    local text
    text=$(cat "$1"; echo x) # keep trailing line ends
    text=${text%x}
    [[ $text == "$bom"* ]] || fail "$1: no byte order mark"
    text=${text#"$bom"}
    [[ $text == *"$cr"$'\n' ]] || fail "$1: last line does not end in CR LF"
    local bare
    bare=$(printf '%s' "$text" | tr -d '\r' | wc -l)
    [[ $(printf '%s' "$text" | grep -c $'\r$') -eq $bare ]] || fail "$1: a line without CR LF"
    printf '%s' "$text" | tr -d '\r'
}

# --- search: header, every column, Chinese name as UTF-8
run 0 search --broadcast "$net.1" --csv "${opts[@]}" &&
    {
        csv_lines "$work/out" >"$work/lines"
        [[ $(wc -l <"$work/lines") -eq 3 ]] || fail "search --csv: header and two rows expected"
        [[ $(sed -n 1p "$work/lines") == "序号,名称,型号,IP地址,MAC地址,固件版本,密码设置,管理员密码,远程配置,网络接口" ]] ||
            fail "search --csv: header $(sed -n 1p "$work/lines")"
        grep -qx "1,网关一号,KVT-275R,$net.2,[0-9a-f-]*,1.0,有,无,允许远程配置,[^,]*" "$work/lines" ||
            fail "search --csv: first row $(sed -n 2p "$work/lines")"
        grep -qx "2,GW-B,KVT-275R,$net.3,[0-9a-f-]*,1.0,无,无,禁止远程配置,[^,]*" "$work/lines" ||
            fail "search --csv: second row $(sed -n 3p "$work/lines")"
    }
run 0 --lang en search --ip "$net.2" --csv "${opts[@]}" &&
    {
        csv_lines "$work/out" >"$work/lines"
        [[ $(sed -n 1p "$work/lines") == "No.,Name,Model,IP Address,MAC Address,Firmware,Password,Admin password,Remote configuration,Interface" ]] ||
            fail "search --ip --csv --lang en: header $(sed -n 1p "$work/lines")"
        [[ $(wc -l <"$work/lines") -eq 2 ]] || fail "search --ip --csv: one row expected"
        grep -q "^1,网关一号,KVT-275R,$net.2," "$work/lines" || fail "search --ip --csv: row"
    }
# No device: the header alone, and the status of an empty search.
run 3 search --ip "$net.99" --csv "${opts[@]}" &&
    {
        [[ $(csv_lines "$work/out" | wc -l) -eq 1 ]] || fail "empty search --csv: header only"
    }
run 2 search --broadcast "$net.1" --csv --json "${opts[@]}" &&
    { grep -q 'excludes' "$work/err" || fail "--csv --json: usage message $(cat "$work/err")"; }

# --- listen: the final table as CSV on stdout, the updates on stderr
report() { # MAC-LAST NAME-GBK-FILE -> 76-byte datagram file
    local file=$work/report-$1
    {
        head -c 36 /dev/zero
        printf "\\x00\\x1a\\x2b\\x3c\\x4d\\x$1"
        head -c 2 /dev/zero
        printf '\xc0\xa8\x00\x07'
        head -c 8 /dev/zero
        cat "$2"
        head -c $((20 - $(stat -c %s "$2"))) /dev/zero
    } >"$file"
    echo "$file"
}
printf '报告,"一"' | iconv -f UTF-8 -t GBK >"$work/name1"
printf 'GW-2' >"$work/name2"
one=$(report 01 "$work/name1")
two=$(report 02 "$work/name2")
"$cli" listen --bind "$net.1" --port 16800 --count 3 --csv >"$work/listen.out" 2>"$work/listen.err" &
listener=$!
bound 16800 || fail "listen: port not bound"
for file in "$one" "$two" "$one"; do cat "$file" >"/dev/udp/$net.1/16800"; done
wait "$listener"
status=$?
[[ $status -eq 0 ]] || fail "listen --csv exited $status: $(cat "$work/listen.err")"
csv_lines "$work/listen.out" >"$work/lines"
[[ $(wc -l <"$work/lines") -eq 3 ]] || fail "listen --csv: header and two rows expected"
[[ $(sed -n 1p "$work/lines") == "序号,设备名称,IP地址,MAC地址,次数,之前一次时间,最近一次时间" ]] ||
    fail "listen --csv: header $(sed -n 1p "$work/lines")"
# The name holds a comma and quotes: quoted, quotes doubled; the count without its padding.
grep -qx '1,"报告,""一""",192.168.0.7,00-1a-2b-3c-4d-01,2,[^,]*,[^,]*' "$work/lines" ||
    fail "listen --csv: first row $(sed -n 2p "$work/lines")"
grep -qx '2,GW-2,192.168.0.7,00-1a-2b-3c-4d-02,1,[^,]*,[^,]*' "$work/lines" ||
    fail "listen --csv: second row $(sed -n 3p "$work/lines")"
[[ $(grep -c $'\t' "$work/listen.err") -eq 3 ]] || fail "listen --csv: row updates on stderr"
run 2 listen --bind "$net.1" --port 16802 --seconds 1 --csv --json

if [[ $failures -ne 0 ]]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "all CSV export CLI checks passed"
