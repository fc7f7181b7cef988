#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: run_benchmarks.sh DIR
# Runs every benchmark executable built into DIR, one after the other, and
# fails if there is none or any of them fails.
set -euo pipefail

dir="$1"
mapfile -t benchmarks < <(find "$dir" -maxdepth 1 -type f -executable | sort)
if [ ${#benchmarks[@]} -eq 0 ]; then
    echo "run_benchmarks: no benchmark executables in $dir" >&2
    exit 1
fi
for benchmark in "${benchmarks[@]}"; do
    echo "== $(basename "$benchmark")"
    "$benchmark"
done
