#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing, packaging and running the tools needs.
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
# ansible-core runs the Ansible module's test (contrib/ansible).
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
    tshark \
    ansible-core
# The report times are tested under the locale of a Chinese desktop; tests build any other
# locale they need from the sources of `locales` themselves.
locale -a 2>/dev/null | grep -qix 'zh_CN.utf8' || $SUDO localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
