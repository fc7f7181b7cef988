#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: lint.sh LINT_BUILD_DIR [JOBS]
# Static analysis of app/, interaction/, scene/ and geometry/: clang-tidy with
# the checks in .clang-tidy, using the compile commands of a build tree
# configured in LINT_BUILD_DIR, then cppcheck. Prints every finding and a count
# for each tool; fails if either finds anything.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
build_dir="$1"
jobs="${2:-2}"
folders=(app interaction scene geometry)

cmake -S . -B "$build_dir" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    -DBALLCOURSE_TESTS=OFF -DBALLCOURSE_BENCH=OFF >/dev/null

# A header is reported by every file that includes it: each finding is counted once.
tidy_log="$build_dir/clang-tidy.log"
find "${folders[@]}" -name '*.cpp' -print0 | sort -z |
    xargs -0 -P "$jobs" -n 4 clang-tidy -p "$build_dir" --quiet >"$tidy_log" 2>/dev/null || true
tidy=$(grep -E '^[^ ]+:[0-9]+:[0-9]+: (warning|error): ' "$tidy_log" | sort -u || true)
tidy_count=$(grep -c . <<<"$tidy" || true)

cppcheck_log="$build_dir/cppcheck.log"
cppcheck --enable=warning,performance,portability --std=c++17 -I . --quiet \
    --template='{file}:{line}:{column}: {severity}: {message} [{id}]' \
    "${folders[@]}" 2>"$cppcheck_log"
cppcheck_count=$(grep -c . "$cppcheck_log" || true)

[ -z "$tidy" ] || echo "$tidy"
cat "$cppcheck_log"
echo "lint: clang-tidy $tidy_count findings, cppcheck $cppcheck_count findings"
[ "$tidy_count" -eq 0 ] && [ "$cppcheck_count" -eq 0 ]
