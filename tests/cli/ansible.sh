#!/usr/bin/env bash
# The Ansible module in contrib/ansible against simulated gateways, with ansible-playbook on
# localhost and this build's kvt640-cli: check mode reports a change and writes nothing, the
# first run writes, the second finds nothing to do; a gateway that does not store the write
# fails the task; passwords stay out of the output.
# Usage: ansible.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim
set -u
cli=${1:?usage: ansible.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim}
sim=${2:?usage: ansible.sh PATH-TO-kvt640-cli PATH-TO-kvt275r-sim}
contrib=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../contrib/ansible" && pwd)
if ! command -v ansible-playbook >/dev/null; then
    echo "SKIP: ansible-playbook is not installed (Debian package ansible-core)"
    exit 77
fi
# Ansible refuses to start unless the locale's encoding is UTF-8, and a CI shell often has no
# locale set at all; the playbooks and their output here are ASCII.
[[ $(locale charmap 2>/dev/null) == UTF-8 ]] || export LC_ALL=C.UTF-8
source "$(dirname "${BASH_SOURCE[0]}")/checks.bash"
scratch_with_simulators
own_loopback_block
opts=(--bind "$net.200")
password=Pw-7731

start_sim 1 "name=GW-A,ip=$net.2,user-password=$password" "name=GW-B,ip=$net.3,fault=ignore-write"

# target FROM-HOST NEW-HOST FILE: the device's user configuration with another IP address (no
# reset follows, so the device keeps serving the old one).
target() {
    run 0 read --ip "$net.$1" --kind user --password "$password" -o "$work/now.inf" "${opts[@]}" ||
        return
    iconv -f GBK -t UTF-8 "$work/now.inf" | sed "s/^\(IP地址\t\t\)[0-9.]*/\1$net.$2/" |
        iconv -f UTF-8 -t GBK >"$3"
}

# held HOST: the IP address the device at HOST stores.
held() {
    "$cli" read --ip "$net.$1" --kind user --password "$password" --json "${opts[@]}" 2>/dev/null |
        python3 -c 'import json, sys; print(json.load(sys.stdin)["ip_address"])'
}

# playbook HOST FILE [ansible-playbook options...]: runs the module once on localhost; its
# registered result goes to $work/result.json, a summary "changed failed rc diff-after" to
# $work/summary, the playbook's own output (-vvv: with the module's arguments) to $work/play.out.
playbook() {
    local host=$1 file=$2
    shift 2
    rm -f "$work/result.json"
    cat >"$work/play.yml" <<EOF
- hosts: localhost
  connection: local
  gather_facts: false
  tasks:
    - kvt640_gateway:
        ip: "$net.$host"
        src: "$file"
        password: "$password"
        cli_path: "$cli"
        bind: "$net.200"
      register: gateway
      ignore_errors: true
    - copy:
        content: "{{ gateway | to_json }}"
        dest: "$work/result.json"
      check_mode: false
EOF
    ANSIBLE_LIBRARY="$contrib/library" ANSIBLE_NOCOLOR=1 ANSIBLE_LOCAL_TEMP="$work/tmp" \
        ANSIBLE_REMOTE_TEMP="$work/tmp" HOME="$work" ANSIBLE_PYTHON_INTERPRETER=/usr/bin/python3 \
        ANSIBLE_RETRY_FILES_ENABLED=0 \
        ansible-playbook -vvv -i localhost, "$work/play.yml" "$@" >"$work/play.out" 2>&1
    /usr/bin/python3 - "$work/result.json" >"$work/summary" 2>/dev/null <<'EOF'
import json, sys
r = json.load(open(sys.argv[1]))
after = (r.get("diff") or {}).get("after", "")
print(int(r.get("changed", False)), int(r.get("failed", False)), r.get("rc", 0), json.dumps(after))
EOF
}

# expect WHAT CHANGED FAILED: the last run's result.
expect() {
    local what=$1 changed failed
    read -r changed failed _ <"$work/summary" || {
        fail "$what: no result ($(tail -c 2000 "$work/play.out"))"
        return 1
    }
    [[ $changed == "$2" && $failed == "$3" ]] ||
        fail "$what: changed=$changed failed=$failed, expected $2 and $3 ($(cat "$work/result.json"))"
}

# The example playbook and its inventory are valid.
ANSIBLE_LOCAL_TEMP="$work/tmp" HOME="$work" ansible-playbook --syntax-check \
    -i "$contrib/inventory.ini" "$contrib/site.yml" >"$work/syntax" 2>&1 ||
    fail "example playbook: $(cat "$work/syntax")"

target 2 12 "$work/a.inf"

# Check mode: a change is reported and shown with --diff, nothing is written.
playbook 2 "$work/a.inf" --check --diff
expect "check mode" 1 0
grep -q "ip_address: \\\\\"$net.12\\\\\"" "$work/summary" ||
    fail "check mode: the diff does not show the new address: $(cat "$work/summary")"
[[ $(held 2) == "$net.2" ]] || fail "check mode wrote to the device"

# Apply: written and verified; again: nothing to do.
playbook 2 "$work/a.inf"
expect "first apply" 1 0
[[ $(held 2) == "$net.12" ]] || fail "first apply: the device does not hold the new address"
playbook 2 "$work/a.inf"
expect "second apply" 0 0
if grep -q "$password" "$work/play.out" "$work/result.json"; then
    fail "the password shows in the playbook's output"
fi

# A gateway that acknowledges but does not store the write fails the task.
target 3 13 "$work/b.inf"
playbook 3 "$work/b.inf"
expect "device that ignores writes" 1 1  # written, not verified
read -r _ _ rc _ <"$work/summary"
[[ $rc == 11 ]] || fail "ignored write: rc $rc, expected 11 (not verified)"

((failures == 0)) && echo "ansible: all checks passed"
exit $((failures > 0))
