#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing, packaging and running the tools needs.
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
# tshark asks whether non-root users may capture; the default (no) is what the tests need.
echo "wireshark-common wireshark-common/install-setuid boolean false" | $SUDO debconf-set-selections
# ansible-core runs the Ansible module's test (contrib/ansible).
# tshark reads captures with the dissector in contrib/wireshark (and tests it). tshark, nmap and
# node with npm are also the EtherNet/IP test's witnesses (tests/cli/enip.sh): Wireshark's
# dissectors, nmap's enip-info script, and the npm client st-ethernet-ip, which the test
# installs into ~/.cache/kvt640/npm itself.
# qt6-tools-dev and qt6-l10n-tools build the translations (Qt Linguist's CMake support, lrelease);
# qt6-translations-l10n holds Qt's own translations that the Chinese interface loads.
$SUDO apt-get install -y --no-install-recommends \
    build-essential cmake ninja-build pkg-config git python3 \
    libgtest-dev libgmock-dev googletest nlohmann-json3-dev libcli11-dev libcsv-dev \
    qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev \
    qt6-tools-dev qt6-l10n-tools qt6-translations-l10n \
    fonts-noto-cjk xvfb xauth iproute2 locales \
    clang-14 libclang-rt-14-dev \
    librsvg2-bin help2man bash-completion \
    file dpkg-dev lintian desktop-file-utils appstream \
    ansible-core \
    tshark nmap
# A node that brings its own npm (as the machine's may) conflicts with Debian's npm package.
command -v npm >/dev/null || $SUDO apt-get install -y --no-install-recommends nodejs npm
# The report times are tested under the locale of a Chinese desktop; tests build any other
# locale they need from the sources of `locales` themselves.
locale -a 2>/dev/null | grep -qix 'zh_CN.utf8' || $SUDO localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
