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

# Packages wanted for a command they provide, which may come from elsewhere
# (npm ships inside a node from outside Debian): installed only when the
# command is missing, as Debian's package would clash with such a node.
declare -A command_of=([npm]=npm)

missing=()
for package in "${packages[@]}"; do
    if [ -n "${command_of[$package]:-}" ]; then
        command -v "${command_of[$package]}" >/dev/null 2>&1 || missing+=("$package")
        continue
    fi
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
# Another apt or make run may hold dpkg's lock for a while: wait for it rather
# than fail.
apt=(env DEBIAN_FRONTEND=noninteractive apt-get -q -o DPkg::Lock::Timeout=600)
"${sudo[@]}" "${apt[@]}" update
"${sudo[@]}" "${apt[@]}" install -y --no-install-recommends "${missing[@]}"
