#!/usr/bin/env bash
# Offline commands of kvt640-cli: new, show, image build/parse, text, exit statuses, --lang.
# Usage: offline.sh PATH-TO-kvt640-cli
set -u
cli=${1:?usage: offline.sh PATH-TO-kvt640-cli}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/checks.bash"

# GBK bytes with CR LF line ends from UTF-8 text with LF line ends.
gbk_file() { printf '%b' "$1" | iconv -f UTF-8 -t GBK | sed 's/$/\r/'; }

# --- new: the documented bytes of a new user configuration
gbk_file '用户配置/后台配置标志\t\t用户配置\n产品型号代码\t\t134103\n固件版本号\t\t\n配置文件版本号\t\t1.0\n\nIP配置方式\tDHCP\nIP地址\t\t192.168.0.15\n子网掩码\t\t255.255.255.0\n默认网关\t\t192.168.0.1\nDNS1\t\t0.0.0.0\nDNS2\t\t0.0.0.0\n\n用户密码\t\n\n自动回复开关\t\tclosed\n\n' >"$work/expected-user.inf"
run 0 new --kind user -o "$work/u.inf" &&
    { cmp -s "$work/u.inf" "$work/expected-user.inf" || fail "new --kind user: bytes differ from the example"; }

# --lang before and after the command's arguments gives the same file
run 0 --lang en new --kind background -o "$work/b-en-1.inf"
run 0 new --kind background -o "$work/b-en-2.inf" --lang en
cmp -s "$work/b-en-1.inf" "$work/b-en-2.inf" || fail "--lang before and after differ"
grep -q $'^Admin_Password\t\r$' "$work/b-en-1.inf" || fail "English password key missing"
run 0 new --kind background -o "$work/b-zh.inf"
grep -q "$(printf '管理员密码\t' | iconv -f UTF-8 -t GBK)" "$work/b-zh.inf" ||
    fail "Chinese password key missing"

# --- show
if run 0 show "$work/u.inf" --json; then
    keys=$(grep -cE '^  "[a-z_0-9]+":' "$work/out")
    [[ $keys -eq 20 ]] || fail "show --json has $keys keys, expected 20"
    grep -q '"kind": 0,' "$work/out" || fail "show --json: kind"
    grep -q '"product_code": 134103,' "$work/out" || fail "show --json: product code"
    grep -q '"file_version": "1.0",' "$work/out" || fail "show --json: file version"
    grep -q '"report_port": 16800,' "$work/out" || fail "show --json: report port"
fi
if run 0 --lang en show "$work/b-en-1.inf" --json; then
    grep -q '"kind": 1,' "$work/out" || fail "show background: kind"
    grep -q '"network_name": "Ethernet/IP",' "$work/out" || fail "show background: name"
fi
run 0 show "$work/u.inf" && { grep -q '用户配置' "$work/out" || fail "show: text output not UTF-8"; }

# What scripts parse: the keys in their order, Chinese texts as UTF-8; a text that is not GBK
# (the byte FF in the user password) shows as U+FFFD, and its exact bytes follow as hex in a
# companion key (only for such a text).
iconv -f GBK -t UTF-8 "$work/b-zh.inf" |
    sed 's/^\(网络名称\t\t\).*/\1网关-甲\r/; s/^\(管理员密码\t\).*/\1管理员\r/' |
    sed 's/^\(用户密码\t\).*/\1x@@y\r/' | iconv -f UTF-8 -t GBK | sed 's/x@@y/x\xFFy/' >"$work/c.inf"
if run 0 show "$work/c.inf" --json; then
    keys=(kind product_code firmware_version file_version network_name ip_method ip_address
        subnet_mask gateway dns1 dns2 user_password user_password_gbk_hex admin_password
        report_enabled report_target report_port report_period ip_setting_method
        reserved_parameter assembly_sizes)
    order=$(grep -oE '^  "[a-z_0-9]+"' "$work/out" | tr -d ' "' | paste -sd ' ')
    [[ $order == "${keys[*]}" ]] || fail "show --json key order: $order"
    grep -q '^  "network_name": "网关-甲",$' "$work/out" || fail "show --json: Chinese name"
    grep -q '^  "admin_password": "管理员",$' "$work/out" || fail "show --json: Chinese password"
    tr -d ' \n' <"$work/out" | grep -q $'"user_password":"x\xEF\xBF\xBDy","user_password_gbk_hex":"78ff79",' ||
        fail "show --json: non-GBK text"
fi
run 0 show "$work/c.inf" &&
    { grep -q $'^user_password       x\xEF\xBF\xBDy$' "$work/out" || fail "show: non-GBK text"; }

# --- image build and parse
run 0 image build "$work/b-zh.inf" -o "$work/b.img"
[[ $(stat -c %s "$work/b.img") -eq 164 ]] || fail "background image is not 164 bytes"
[[ $(od -An -tx1 -N8 "$work/b.img" | tr -d ' \n') == 000000060000009c ]] ||
    fail "background image header"
run 0 image build "$work/u.inf" -o "$work/u.img" --lang zh
[[ $(stat -c %s "$work/u.img") -eq 60 ]] || fail "user image is not 60 bytes"
if run 0 image parse "$work/b.img" --kind background --json; then
    grep -q '"network_name": "Ethernet/IP",' "$work/out" || fail "image parse: name"
    grep -q '"product_code": 134103,' "$work/out" || fail "image parse: product code"
fi
run 0 image parse "$work/u.img" --kind user -o "$work/u2.inf" &&
    { cmp -s "$work/u2.inf" "$work/expected-user.inf" || fail "image parse -o: file differs"; }

# --- text
run 0 text 4116 && { [[ $(cat "$work/out") == "文件不存在!" ]] || fail "text 4116"; }
run 0 text 173 && { [[ $(od -An -c "$work/out" | tr -d ' ') == '\n' ]] || fail "text 173 not empty"; }
run 0 text 4 --lang en

# --- failures: status 1 with the message on stderr
run 1 show "$work/none.inf" && { grep -q '文件不存在!' "$work/err" || fail "show: no 4116 text"; }
run 1 image parse "$work/none.img" --kind user && { grep -q '文件不存在!' "$work/err" || fail "parse: no 4116 text"; }
run 1 image build "$work/none.inf" -o "$work/x.img"
run 1 new --kind user -o "$work/no/such/dir/x.inf" &&
    { grep -q '保存失败' "$work/err" || fail "new: no save failure text"; }

# --- usage errors: status 2 with a usage line
for args in "" "new --kind other -o $work/x.inf" "new --kind user" "show" "text abc" "text" \
    "--lang fr text 1" "image" "image parse $work/b.img" "frobnicate" \
    "image parse $work/b.img --kind user --json -o $work/y.inf"; do
    # shellcheck disable=SC2086
    run 2 $args && { grep -q '^usage: kvt640-cli' "$work/err" || fail "'$args': no usage line"; }
done
run 0 --help

if [[ $failures -gt 0 ]]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all offline checks passed"
