#!/usr/bin/env bash
# diff and apply against simulated gateways: equal and different configurations, an apply that
# is repeated (the second only reads), a device that acknowledges a write it does not store
# (status 11), a readdress with reset, a changed password applied twice, and what is refused
# before anything is sent.
# Usage: apply.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim
set -u
cli=${1:?usage: apply.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim}
sim=${2:?usage: apply.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim}
source "$(dirname "${BASH_SOURCE[0]}")/checks.bash"
scratch_with_simulators
own_loopback_block
opts=(--bind "$net.200")

# The simulator logs every exchange (passwords masked) to $work/sim.log: the writes are counted.
"$sim" --discovery-address "$net.1" \
    --device "name=GW-1,ip=$net.2,user-password=1234,mac=02:00:00:00:01:02" \
    --device "name=GW-2,ip=$net.3,mac=02:00:00:00:01:03" \
    --device "name=GW-3,ip=$net.4,fault=ignore-write,mac=02:00:00:00:01:04" \
    --device "name=GW-4,ip=$net.5,user-password=pw-old-7,mac=02:00:00:00:01:05" \
    --device "name=GW-5,ip=$net.6,mac=02:00:00:00:01:06" \
    2>"$work/sim.log" &
sims+=($!)
up=0
for _ in $(seq 1 20); do
    "$cli" search --broadcast "$net.1" --bind "$net.201" >/dev/null 2>&1 && up=1 && break
done
((up)) || fail "simulator did not come up"
writes() { grep -c ": write " "$work/sim.log"; }

# json_field FILE KEY: the top-level value of KEY in a JSON object printed by the CLI.
json_field() {
    python3 -c 'import json,sys; print(json.dumps(json.load(open(sys.argv[1]))[sys.argv[2]]))' "$1" "$2"
}

# edit IN OUT KEY=VALUE...: a JSON configuration with some keys changed (values as JSON).
edit() {
    local in=$1 out=$2
    shift 2
    python3 - "$in" "$out" "$@" <<'PY'
import json, sys
config = json.load(open(sys.argv[1]))
for pair in sys.argv[3:]:
    key, value = pair.split("=", 1)
    config[key] = json.loads(value)
json.dump(config, open(sys.argv[2], "w"), ensure_ascii=False)
PY
}

# --- diff
run 0 read --ip "$net.2" --kind user --password 1234 -o "$work/gw1.inf" "${opts[@]}"
run 0 diff "$work/gw1.inf" "device:$net.2:user" --password 1234 "${opts[@]}" ||
    fail "diff: a device and the file just read from it should be equal"
[[ ! -s $work/out ]] || fail "diff: equal prints nothing, got $(cat "$work/out")"
run 0 show "$work/gw1.inf" --json && cp "$work/out" "$work/gw1.json"
edit "$work/gw1.json" "$work/gw1-new.json" ip_address="\"$net.12\"" user_password='"abcd"' \
    report_enabled=1 report_target='"127.0.0.1"'
if run 10 diff "$work/gw1.inf" "$work/gw1-new.json" --json; then
    [[ $(json_field "$work/out" equal) == false ]] || fail "diff --json: equal should be false"
    python3 - "$work/out" <<'PY' || fail "diff --json: differences $(cat "$work/out")"
import json, sys
d = {x["field"]: x for x in json.load(open(sys.argv[1]))["differences"]}
assert sorted(d) == ["ip_address", "report_enabled", "report_target", "user_password"], d
assert d["report_enabled"]["a"] == 0 and d["report_enabled"]["b"] == 1
assert d["user_password"]["b"] == "********", "a password must never be printed"
PY
fi
grep -q abcd "$work/out" && fail "diff printed a password"
# A user configuration has no network name on the wire: a background file that differs only
# there compares equal with the device's user configuration.
edit "$work/gw1.json" "$work/named.json" network_name='"elsewhere"'
run 0 diff "$work/named.json" "device:$net.2:user" --password 1234 "${opts[@]}" ||
    fail "diff: a field the user kind does not carry must not count"
run 2 diff "$work/gw1.inf" "device:$net.2:everything" || fail "diff: a bad device side is a usage error"

# --- apply: the first writes and verifies, the second finds the device equal and only reads
before=$(writes)
if run 0 apply --ip "$net.2" "$work/gw1-new.json" --password 1234 --json "${opts[@]}"; then
    [[ $(json_field "$work/out" changed) == true ]] || fail "apply: changed should be true"
    [[ $(json_field "$work/out" verified) == true ]] || fail "apply: verified should be true"
    [[ $(json_field "$work/out" outcome) == '"applied"' ]] || fail "apply: outcome $(cat "$work/out")"
    [[ $(json_field "$work/out" mac) == '"02-00-00-00-01-02"' ]] || fail "apply: mac"
fi
(($(writes) == before + 1)) || fail "apply: expected one write, the simulator saw $(($(writes) - before))"
before=$(writes)
lines=$(wc -l <"$work/sim.log")
# The file changed the password: the old one given again is refused, the file's own fits.
if run 0 apply --ip "$net.2" "$work/gw1-new.json" --password 1234 --json "${opts[@]}"; then
    [[ $(json_field "$work/out" changed) == false ]] || fail "apply again: changed should be false"
    [[ $(json_field "$work/out" outcome) == '"unchanged"' ]] || fail "apply again: outcome"
fi
(($(writes) == before)) || fail "apply again: the simulator saw a write"
tail -n +"$((lines + 1))" "$work/sim.log" | grep -q "read user" || fail "apply again: no read seen"
grep -q "abcd\|1234" "$work/sim.log" && fail "a password reached the simulator's log"

# --- a device that acknowledges and does not store: status 11, the differences printed
edit "$work/gw1-new.json" "$work/gw3-new.json" ip_address="\"$net.14\"" user_password='""'
run 11 apply --ip "$net.4" "$work/gw3-new.json" --reset "${opts[@]}" ||
    fail "apply to a device that ignores writes should fail verification"
grep -q '^ip_address: device "'"$net.4"'", wanted "'"$net.14"'"' "$work/out" ||
    fail "apply: the differences after a failed verification ($(cat "$work/out"))"
run 3 search --ip "$net.14" "${opts[@]}" || fail "a device whose write was not verified was reset"
# --no-verify believes the acknowledgement.
run 0 apply --ip "$net.4" "$work/gw3-new.json" --no-verify --json "${opts[@]}" &&
    [[ $(json_field "$work/out" verified) == false ]] || fail "apply --no-verify: verified"

# --- readdress with reset: verified at the old address, then found at the new one
edit "$work/gw1-new.json" "$work/gw2-new.json" ip_address="\"$net.13\"" user_password='""'
run 0 apply --ip "$net.3" "$work/gw2-new.json" --reset "${opts[@]}" || fail "apply --reset"
moved=0
for _ in $(seq 1 20); do
    "$cli" search --ip "$net.13" "${opts[@]}" >/dev/null 2>&1 && moved=1 && break
done
((moved)) || fail "apply --reset: the device does not answer at its new address"
run 3 search --ip "$net.3" "${opts[@]}" || fail "apply --reset: still answers at the old address"
run 10 apply --ip "$net.13" "$work/gw1-new.json" --dry-run "${opts[@]}" ||
    fail "apply --dry-run of another address should report a difference"
run 0 apply --ip "$net.13" "$work/gw2-new.json" --reset "${opts[@]}" &&
    grep -q '^unchanged' "$work/out" || fail "apply after the readdress should find it unchanged"

# --- written earlier without a reset: a static address held but not served yet. Applying it
# again with --reset writes nothing and resets; once there, nothing more happens.
edit "$work/gw1-new.json" "$work/gw5-new.json" ip_address="\"$net.16\"" user_password='""' \
    ip_method=0
run 0 apply --ip "$net.6" "$work/gw5-new.json" "${opts[@]}" || fail "apply of a static address"
before=$(writes)
if run 0 apply --ip "$net.6" "$work/gw5-new.json" --reset --json "${opts[@]}"; then
    [[ $(json_field "$work/out" outcome) == '"unchanged"' ]] || fail "pending reset: outcome"
    [[ $(json_field "$work/out" reset) == true ]] || fail "pending reset: no reset"
fi
(($(writes) == before)) || fail "pending reset: the simulator saw a write"
moved=0
for _ in $(seq 1 20); do
    "$cli" search --ip "$net.16" "${opts[@]}" >/dev/null 2>&1 && moved=1 && break
done
((moved)) || fail "pending reset: the device does not answer at its stored address"
run 0 apply --ip "$net.16" "$work/gw5-new.json" --reset --json "${opts[@]}" &&
    [[ $(json_field "$work/out" reset) == false ]] || fail "a device at its address is not reset"

# --- passwords from the file option and the environment, never echoed
edit "$work/gw1-new.json" "$work/gw4-new.json" ip_address="\"$net.5\"" user_password='"pw-new-8"'
printf 'pw-old-7\n' >"$work/pw"
run 0 apply --ip "$net.5" "$work/gw4-new.json" --password-file "$work/pw" "${opts[@]}" ||
    fail "apply with --password-file"
KVT640_PASSWORD=pw-old-7 run 0 apply --ip "$net.5" "$work/gw4-new.json" "${opts[@]}" ||
    fail "apply with KVT640_PASSWORD (the file's own password gets in after the change)"
grep -q "pw-old-7\|pw-new-8" "$work/out" "$work/err" && fail "apply printed a password"
run 4 apply --ip "$net.5" "$work/gw2-new.json" --dry-run "${opts[@]}" ||
    fail "apply without any password a device wants: status 4"

# --- refused before anything is sent
edit "$work/gw1-new.json" "$work/bad.json" report_port=70000
before=$(wc -l <"$work/sim.log")
run 1 apply --ip "$net.2" "$work/bad.json" --password abcd "${opts[@]}" ||
    fail "apply of a value the editor refuses"
grep -q "report_port" "$work/err" || fail "apply: the refused field is not named"
(($(wc -l <"$work/sim.log") == before)) || fail "apply: something was sent for a refused file"

if [[ $failures -ne 0 ]]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "all apply and diff checks passed"
