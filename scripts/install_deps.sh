#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages needed to build, run and test the toy.
# Does nothing (and touches no package list) when every one is already
# installed, so repeated `make` runs start building at once.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    freeglut3-dev libglu1-mesa-dev
    libgl1-mesa-dri      # llvmpipe: software OpenGL for the virtual X server
    libgtest-dev libbenchmark-dev
    xvfb xdotool x11-utils  # x11-utils: xdpyinfo and xwininfo
    imagemagick             # import: window screenshots
    dpkg-dev file           # make package: dpkg-shlibdeps, and file to find the program
    desktop-file-utils groff-base gzip  # the installed-tree test checks the menu entry and manual
)
# Packages only some targets need (make coverage: gcovr) come as arguments.
packages+=("$@")

missing=()
for package in "${packages[@]}"; do
    # Multi-arch packages may list one line per architecture; any installed one will do.
    if ! dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing missing packages: ${missing[*]}"
# CI runs as root without sudo; a developer's account may need it.
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        sudo=(sudo)
    else
        echo "error: not root and no sudo; install these packages: ${missing[*]}" >&2
        exit 1
    fi
fi

# No standard input in CI: nothing may prompt (sudo drops the environment, so env sets it).
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
