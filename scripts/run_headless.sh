#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: run_headless.sh BINARY
# Shows the toy working on a machine with no screen: plays the scripted
# course (play_demo.sh) on a virtual X server and saves its animation and a
# screenshot of the finished course, then says where they are.
#   OUTDIR   where the pictures go (default screenshots/)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
echo "No display: playing a scripted course on a virtual X server."
exec bash "$here/play_demo.sh" "$1" "${OUTDIR:-screenshots}"
