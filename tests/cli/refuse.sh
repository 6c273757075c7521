#!/usr/bin/env bash
# kvt640-cli write refuses, before anything is sent, a file whose values the editor's pages
# would refuse (port 70000, size 300, a 21-byte password, letters in a number) or that the
# download warns about (a gateway outside the subnet), naming the field, with exit status 1;
# --force sends it as the image builder makes it. The simulator logs every query it gets, so
# its log shows that a refused write sent nothing.
# Usage: refuse.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim
set -u
cli=${1:?usage: refuse.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim}
sim=${2:?usage: refuse.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim}
source "$(dirname "${BASH_SOURCE[0]}")/checks.bash"
scratch_with_simulators
own_loopback_block

# Not --quiet: every discovery query and request is logged with its sender.
"$sim" --discovery-address "$net.1" --device "name=GW-V,ip=$net.2" 2>"$work/sim.log" &
sims+=($!)
for _ in $(seq 1 10); do
    "$cli" search --broadcast "$net.1" --bind "$net.201" >/dev/null 2>&1 && break
done
opts=(--bind "$net.200")
refused=(--bind "$net.210") # the attempts that must send nothing

# variant NAME SED-SCRIPT: a copy of the new background configuration, edited as UTF-8.
run 0 new --kind background -o "$work/base.inf"
variant() {
    iconv -f GBK -t UTF-8 "$work/base.inf" | sed "$2" | iconv -f UTF-8 -t GBK >"$work/$1.inf"
}
variant port 's/^自动回复开关\t\tclosed\r$/自动回复开关\t\topen\r\n自动回复IP地址\t\t127.0.0.1\r\n自动回复端口\t\t70000\r\n自动回复周期\t\t10\r/'
variant size 's/^\(Assembly Instance102:\t\t\)64/\1300/'
variant letters 's/^\(Assembly Instance101:\t\t\)64/\1x9999/'
variant password 's/^\(用户密码\t\)/\1abcdefghijklmnopqrstu/'
variant gateway "s/^IP配置方式\tDHCP/IP配置方式\t静态配置/; s/^\(IP地址\t\t\)[0-9.]*/\1$net.2/; s/^\(默认网关\t\t\)[0-9.]*/\110.0.0.1/"
variant dhcp-gateway 's/^\(默认网关\t\t\)[0-9.]*/\110.0.0.1/'

# refuse NAME FIELD TEXT: refused with status 1; stderr names FIELD and says TEXT.
refuse() {
    run 1 write --ip "$net.2" "$work/$1.inf" "${refused[@]}" || return
    grep -qF "$2: $3" "$work/err" || fail "$1: message should name $2: $(cat "$work/err")"
    grep -q -- '--force' "$work/err" || fail "$1: message should point to --force"
}
refuse port report_port '70000 is out of range 1 to 65535'
refuse size 'assembly_sizes[0]' '300 is out of range 0 to 256'
refuse letters 'assembly_sizes[1]' '"x9999" is not a number'
refuse password user_password 'is longer than 20 bytes'
grep -q abcdefghij "$work/err" && fail "password: the refusal shows the password"
refuse gateway gateway "10.0.0.1 is outside the subnet $net.0/24"
grep -q warning "$work/err" || fail "gateway: a warning should say so"

# A DHCP configuration's gateway is a placeholder: no warning.
run 0 write --ip "$net.2" "$work/dhcp-gateway.inf" "${opts[@]}"

# --force sends each as the image builder makes it, and the device holds that.
# forced NAME JSON: forced write, then a read whose JSON (blanks removed) holds JSON.
forced() {
    run 0 write --ip "$net.2" "$work/$1.inf" --force "${opts[@]}" || return
    grep -q 'warning\|out of range\|not a number' "$work/err" ||
        fail "$1 --force: the problems should still be listed: $(cat "$work/err")"
    run 0 read --ip "$net.2" --kind background --json "${opts[@]}" &&
        { tr -d ' \n' <"$work/out" | grep -qF "$2" || fail "$1 --force: device does not hold $2"; }
}
forced port '"report_port":4464,' # 70000 in 16 bits
forced size '"assembly_sizes":["300","64",'
forced letters '"assembly_sizes":["64","0",' # no digits: 0
forced gateway '"gateway":"10.0.0.1",'

# Every refused attempt ran before the writes above, all of which the simulator logged: a
# query from a refused attempt would stand in the log by now.
grep -q "discovery query from $(sent_from "$net.200")" "$work/sim.log" || fail "simulator log: nothing logged"
grep -q "$net.210" "$work/sim.log" && fail "a refused write sent something: $(grep "$net.210" "$work/sim.log")"

if [[ $failures -ne 0 ]]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "all refusal checks passed"
