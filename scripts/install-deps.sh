#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# Installs the Debian packages dotdata needs, if any are missing.
# usage: install-deps.sh [run|test]
#   run   building and running dotdata, and making its Debian package
#   test  that and what the tests and benchmarks need (the default)
set -euo pipefail
need=${1:-test}
[[ $need =~ ^(run|test)$ ]] || { echo "usage: install-deps.sh [run|test]" >&2; exit 2; }

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-tools-dev qt6-l10n-tools libgl-dev qt6-translations-l10n libx11-dev
    libxcb1-dev libpng-dev libgif-dev libjpeg62-turbo-dev
    fonts-ipafont-gothic
    librsvg2-bin dpkg-dev file
)
if [ "$need" = test ]; then
    packages+=(
        clang libclang-rt-14-dev
        libgtest-dev libgmock-dev libbenchmark-dev
        xvfb xdotool x11-utils libxdamage-dev qt6-wayland
        desktop-file-utils appstream lintian
        hyperfine strace python3 imagemagick libjpeg-turbo-progs time
        bwbasic yabasic brandy
        locales
    )
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    # Another apt-get, such as a desktop's automatic updates, may hold the package lock:
    # wait for it rather than fail.
    lock=(-o DPkg::Lock::Timeout=600)
    $sudo apt-get "${lock[@]}" update -q
    $sudo apt-get "${lock[@]}" install -y -q --no-install-recommends "${missing[@]}"
fi

# The number formatting tests run under a locale whose decimal point is a comma.
if [ "$need" = test ] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
