#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing and running the tools needs.
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
# qt6-tools-dev and qt6-l10n-tools build the translations (Qt Linguist's CMake support, lrelease);
# qt6-translations-l10n holds Qt's own translations that the Chinese interface loads.
$SUDO apt-get install -y --no-install-recommends \
    build-essential cmake ninja-build pkg-config git python3 \
    libgtest-dev libgmock-dev googletest nlohmann-json3-dev libcli11-dev \
    qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev \
    qt6-tools-dev qt6-l10n-tools qt6-translations-l10n \
    fonts-noto-cjk xvfb xauth iproute2 \
    clang-14 libclang-rt-14-dev
