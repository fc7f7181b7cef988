#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: run_browser_benchmarks.sh WEB_BUILD_DIR SITE_DIR BUILD_DIR [FLAGS...]
# The browser build's benchmarks, run by `make bench` after the desktop's:
#   1. the minimal harness's own check, then the hit-test benchmarks compiled
#      to WebAssembly, in node (FLAGS go to them, e.g. --benchmark_repetitions=5);
#   2. the page in headless Chromium (measure_page.js), with playwright-core
#      as tests/browser's lock file pins it, in BUILD_DIR/browser-tests where
#      the browser tests install it (installed there first if it is missing);
#   3. every figure beside the desktop's (summarize.js), whose table `make
#      bench` keeps in BUILD_DIR/bench/desktop.txt.
# Results and the screenshot of the measured course: WEB_BUILD_DIR/bench/web/results.
set -euo pipefail

if [ $# -lt 3 ]; then
    echo "usage: run_browser_benchmarks.sh WEB_BUILD_DIR SITE_DIR BUILD_DIR [FLAGS...]" >&2
    exit 2
fi
web_build=$1
site=$2
build=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
results=$web_build/bench/web/results
modules=$build/browser-tests
mkdir -p "$results"

# Emscripten's output for node runs only without node's own fetch.
echo "== bench_harness_test (WebAssembly, node)"
node --no-experimental-fetch "$web_build/bench/web/bench_harness_test.js"
echo "== ballcourse_hit_bench (WebAssembly, node)"
node --no-experimental-fetch "$web_build/bench/web/ballcourse_hit_bench.js" "$@" |
    tee "$results/hit_bench.txt"

if ! NODE_PATH=$modules/node_modules node -e "require('playwright-core')" 2>/dev/null; then
    bash "$repo/tests/browser/install_modules.sh" "$repo/tests/browser" "$modules"
fi
echo "== the page in headless Chromium on SwiftShader"
NODE_PATH=$modules/node_modules node "$here/measure_page.js" --site "$site" --out "$results"

echo "== the browser beside the desktop"
node "$here/summarize.js" --desktop "$build/bench/desktop.txt" --wasm "$results/hit_bench.txt" \
    --page "$results/page.json"
