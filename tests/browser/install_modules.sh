#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: install_modules.sh SOURCE_DIR WORK_DIR
# Installs the browser driver's node modules exactly as the lock file in
# SOURCE_DIR pins them, into WORK_DIR/node_modules: a folder of the build
# tree, so that the source tree never holds them.
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: install_modules.sh SOURCE_DIR WORK_DIR" >&2
    exit 2
fi
source_dir=$1
work_dir=$2

mkdir -p "$work_dir"
cp "$source_dir/package.json" "$source_dir/package-lock.json" "$work_dir/"
cd "$work_dir"
# playwright-core fetches no browser of its own; this says so to any version
# that might. The tests start Debian's chromium.
export PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1
npm ci --no-audit --no-fund --loglevel=error
node -e "require('playwright-core')" || {
    echo "install_modules: playwright-core does not load from $work_dir" >&2
    exit 1
}
echo "install_modules: $(node -p "'playwright-core ' + require('playwright-core/package.json').version") in $work_dir/node_modules"
