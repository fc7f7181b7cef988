#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: run_browser_benchmarks.sh SITE_DIR BUILD_DIR
# The browser build's benchmarks, run by `make bench` after the desktop's:
#   1. the page in headless Chromium (measure_page.mjs), with playwright-core
#      as tests/browser's lock file pins it, in BUILD_DIR/browser-tests where
#      the browser tests install it (installed there first if it is missing);
#   2. its figures beside the desktop's (summarize.js), whose table `make
#      bench` keeps in BUILD_DIR/bench/desktop.txt.
# Results and the screenshot of the measured course: BUILD_DIR/bench/web.
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: run_browser_benchmarks.sh SITE_DIR BUILD_DIR" >&2
    exit 2
fi
site=$1
build=$2
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
results=$build/bench/web
modules=$build/browser-tests
mkdir -p "$results"

if ! NODE_PATH=$modules/node_modules node -e "require('playwright-core')" 2>/dev/null; then
    bash "$repo/tests/browser/install_modules.sh" "$repo/tests/browser" "$modules"
fi
echo "== the page in headless Chromium on SwiftShader"
NODE_PATH=$modules/node_modules node "$here/measure_page.mjs" --site "$site" --out "$results"

echo "== the browser beside the desktop"
node "$here/summarize.js" --desktop "$build/bench/desktop.txt" --page "$results/page.json"
