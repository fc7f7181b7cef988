#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the JavaScript formatter and linter (Prettier, ESLint) exactly as
# package-lock.json at the top of the tree pins them, into its node_modules.
# Does nothing when that lock file was installed already, so make
# format-check starts checking at once.
set -euo pipefail

cd "$(dirname "$0")/.."
bash scripts/install_deps.sh npm
stamp=node_modules/.installed-package-lock.json
if cmp -s package-lock.json "$stamp"; then
    exit 0
fi
npm ci --no-audit --no-fund --loglevel=error
cp package-lock.json "$stamp"
